#include "session/ScriptDialog.h"

#include "dialogs/PasswdDialog.h"
#include "platform/core/Files.h"
#include "platform/core/IniFile.h"
#include "platform/core/WriteError.h"
#include "session/core/MruList.h"
#include "session/core/ProfileEdit.h"
#include "session/core/ScriptFile.h"

#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <sys/stat.h>

namespace {

QString Shown(const std::string& bytes) {
    return QFile::decodeName(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

} // namespace

TScriptDlg::TScriptDlg(std::string settingsFile, std::string& openFileName, QWidget* parent)
    : QDialog(parent), FSettingsFile(std::move(settingsFile)), FOpenFileName(openFileName) {
    setObjectName(QStringLiteral("ScriptDlg"));
    setWindowTitle(QString::fromUtf8("執行腳本"));
    ScriptComboBox = new QComboBox(this);
    ScriptComboBox->setObjectName(QStringLiteral("ScriptComboBox"));
    ScriptComboBox->setEditable(true);
    ScriptComboBox->setInsertPolicy(QComboBox::NoInsert);
    ScriptComboBox->setMinimumWidth(320);
    auto button = [this](const char* caption, const char* name) {
        auto* b = new QPushButton(QString::fromUtf8(caption), this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        return b;
    };
    OkBtn = button("確定", "OkBtn");
    OkBtn->setDefault(true);
    CancelBtn = button("取消", "CancelBtn");
    OpenBtn = button("開啟...(&O)", "OpenBtn");
    ClearBtn = button("清除(&C)", "ClearBtn");
    EditBtn = button("編輯(&E)", "EditBtn");
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {OkBtn, CancelBtn, OpenBtn, ClearBtn, EditBtn})
        buttons->addWidget(b);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ScriptComboBox);
    layout->addLayout(buttons);

    connect(OkBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(OpenBtn, &QPushButton::clicked, this, [this] { OpenBtnClick(); });
    connect(ClearBtn, &QPushButton::clicked, this, [this] { ClearBtnClick(); });
    connect(EditBtn, &QPushButton::clicked, this, [this] { EditBtnClick(); });
    connect(ScriptComboBox, &QComboBox::currentTextChanged, this,
            [this] { ScriptComboBoxChange(); });
    ScriptComboBox->installEventFilter(this);
    if (ScriptComboBox->lineEdit()) ScriptComboBox->lineEdit()->installEventFilter(this);

    // FormCreate: the history, its first entry shown.
    try {
        std::string bytes;
        win::ReadWholeFile(FSettingsFile, bytes);
        History = session::ReadScriptHistory(win::TIniText(bytes));
    } catch (const std::exception&) {
        FHistoryReadable = false;
    }
    FillDropDown();
    if (!History.empty()) SetFileName(History.front());
    ScriptComboBoxChange();
}

TScriptDlg::~TScriptDlg() {
    SaveHistory();
}

void TScriptDlg::FillDropDown() {
    const QString text = ScriptComboBox->currentText();
    const QSignalBlocker b(ScriptComboBox);
    ScriptComboBox->clear();
    for (const std::string& h : History)
        ScriptComboBox->addItem(Shown(h));
    ScriptComboBox->setCurrentText(text);
}

std::string TScriptDlg::FileName() const {
    return QFile::encodeName(ScriptComboBox->currentText()).toStdString();
}

void TScriptDlg::SetFileName(const std::string& name) {
    ScriptComboBox->setCurrentText(Shown(name));
    ScriptComboBoxChange();
}

void TScriptDlg::FormShow() {
    SetFileName(FOpenFileName);
}

void TScriptDlg::ScriptComboBoxChange() {
    OkBtn->setEnabled(!ScriptComboBox->currentText().isEmpty());
}

void TScriptDlg::OpenBtnClick() {
    QFileDialog dlg(this, QString(), Shown(FOpenFileName),
                    QStringLiteral("Script files (*.txt);;All files (*)"));
    dlg.setFileMode(QFileDialog::ExistingFile);
    dlg.setOption(QFileDialog::DontUseNativeDialog);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return;
    FOpenFileName = QFile::encodeName(dlg.selectedFiles().first()).toStdString();
    FormShow();
}

void TScriptDlg::ClearBtnClick() {
    const bool ok =
        ConfirmClear ? ConfirmClear() : ConfirmBox(this, QString::fromUtf8("你確定要清除嗎?"));
    if (!ok) return;
    History.clear();
    {
        const QSignalBlocker b(ScriptComboBox);
        ScriptComboBox->clear();
        ScriptComboBox->setCurrentText(QString());
    }
    ScriptComboBoxChange();
    SaveHistory();
}

void TScriptDlg::EditBtnClick() {
    const std::string file = FileName();
    if (!file.empty()) {
        // The editor gets an existing file: a missing one is created empty.
        struct stat st {};
        if (::stat(file.c_str(), &st) != 0) {
            try {
                session::WritePrivateFile(file, "");
            } catch (const std::exception&) {
                win::ShowWriteErrorOnce(file);
            }
        }
        std::string error;
        if (StartProgram && !StartProgram("xdg-open", {file}, &error) && !error.empty())
            ShowErrorBox(this, QString::fromStdString(error));
    }
    reject();
}

bool TScriptDlg::SaveHistory() {
    if (!FHistoryReadable) return false;
    try {
        win::TIniText ini = session::ReadProfileForEdit(FSettingsFile);
        session::StoreScriptHistory(ini, History);
        session::WriteProfile(FSettingsFile, ini);
        return true;
    } catch (const std::exception&) {
        win::ShowWriteErrorOnce(FSettingsFile);
        return false;
    }
}

bool TScriptDlg::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(e);
        if (k->key() == Qt::Key_Delete && (k->modifiers() & Qt::ControlModifier)) {
            // Ctrl+Delete takes the shown name out of the history; the key
            // goes no further either way.
            const session::TMruRemoval r = session::MruRemove(History, FileName());
            if (r.Removed) {
                FillDropDown();
                const QSignalBlocker b(ScriptComboBox);
                if (r.Selected >= 0) {
                    ScriptComboBox->setCurrentIndex(r.Selected);
                    ScriptComboBox->setCurrentText(
                        Shown(History[static_cast<std::size_t>(r.Selected)]));
                } else {
                    ScriptComboBox->setCurrentText(QString());
                }
                ScriptComboBoxChange();
            }
            return true;
        }
    }
    return QDialog::eventFilter(watched, e);
}
