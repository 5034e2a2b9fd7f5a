#include "dialogs/SpeedKeyDialog.h"

#include "platform/CodePage.h"
#include "platform/core/Files.h"
#include "platform/core/WriteError.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QVBoxLayout>

namespace {

// An edit shows Big5 bytes; unchanged text gives back the very bytes it was
// filled from, so a pair without a character survives an OK.
void Fill(QLineEdit* e, const std::string& big5) {
    e->setText(win::Big5ToQString(big5));
    e->setProperty("Bytes", QByteArray(big5.data(), static_cast<int>(big5.size())));
    e->setProperty("Shown", e->text());
}

std::string Bytes(const QLineEdit* e) {
    if (e->text() == e->property("Shown").toString()) {
        const QByteArray b = e->property("Bytes").toByteArray();
        return std::string(b.constData(), static_cast<std::size_t>(b.size()));
    }
    return win::QStringToBig5(e->text());
}

QLabel* ClickLabel(const QString& text, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    l->setCursor(Qt::PointingHandCursor);
    QPalette p = l->palette();
    p.setColor(QPalette::WindowText, Qt::blue);
    l->setPalette(p);
    return l;
}

} // namespace

TSpeedKeyDlg::TSpeedKeyDlg(std::string settingsFile, int group, QWidget* parent)
    : QDialog(parent), FFileName(std::move(settingsFile)),
      FMainGroup(session::ValidSpeedGroup(group)) {
    setObjectName(QStringLiteral("SpeedKeyDlg"));
    setWindowTitle(QString::fromUtf8("快速鍵編輯"));

    KeyGroupTabControl = new QTabBar(this);
    KeyGroupTabControl->setObjectName(QStringLiteral("KeyGroupTabControl"));
    for (int g = 1; g <= session::SpeedGroupCount; ++g)
        KeyGroupTabControl->addTab(QString::fromUtf8("第 %1 組").arg(g));

    auto* grid = new QGridLayout;
    // The column heads; the two hidden labels mark where the edits line up.
    grid->addWidget(new QLabel(QString::fromUtf8("標籤"), this), 0, 1);
    grid->addWidget(new QLabel(QString::fromUtf8("待送出的鍵"), this), 0, 2);
    AlignLabel1 = new QLabel(this);
    AlignLabel1->setObjectName(QStringLiteral("AlignLabel1"));
    AlignLabel1->hide();
    AlignLabel2 = new QLabel(this);
    AlignLabel2->setObjectName(QStringLiteral("AlignLabel2"));
    AlignLabel2->hide();
    for (int i = 0; i < session::SpeedKeyCount; ++i) {
        auto* row = new QLabel(QString::number(i + 1), this);
        LabelEdits[i] = new QLineEdit(this);
        LabelEdits[i]->setObjectName(QStringLiteral("LabelEdit%1").arg(i));
        KeyEdits[i] = new QLineEdit(this);
        KeyEdits[i]->setObjectName(QStringLiteral("KeyEdit%1").arg(i));
        KeyEdits[i]->setMinimumWidth(260);
        grid->addWidget(row, i + 1, 0, Qt::AlignRight);
        grid->addWidget(LabelEdits[i], i + 1, 1);
        grid->addWidget(KeyEdits[i], i + 1, 2);
    }

    ClearLabelLabel = ClickLabel(QString::fromUtf8("清除所有標籤"), this);
    ClearLabelLabel->setObjectName(QStringLiteral("ClearLabelLabel"));
    ClearLabelLabel->installEventFilter(this);
    ClearKeyLabel = ClickLabel(QString::fromUtf8("清除所有按鍵"), this);
    ClearKeyLabel->setObjectName(QStringLiteral("ClearKeyLabel"));
    ClearKeyLabel->installEventFilter(this);

    OKBtn = new QPushButton(QString::fromUtf8("確定"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton(QString::fromUtf8("取消"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    connect(OKBtn, &QPushButton::clicked, this, [this] { OKBtnClick(); });
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(ClearLabelLabel);
    bottom->addWidget(ClearKeyLabel);
    bottom->addStretch(1);
    bottom->addWidget(OKBtn);
    bottom->addWidget(CancelBtn);
    auto* column = new QVBoxLayout(this);
    column->addWidget(KeyGroupTabControl);
    column->addLayout(grid);
    column->addLayout(bottom);

    // FormCreate: all five groups from the file.
    std::string bytes;
    try {
        win::ReadWholeFile(FFileName, bytes);
    } catch (const std::exception&) {
        bytes.clear();
    }
    FTable = session::ReadSpeedTable(win::TIniText(bytes));
    ShowGroup(FMainGroup);
    connect(KeyGroupTabControl, &QTabBar::currentChanged, this,
            [this](int index) { KeyGroupTabControlChange(index); });
    for (QWidget* w : findChildren<QWidget*>())
        w->installEventFilter(this);
}

void TSpeedKeyDlg::ShowGroup(int group) {
    FShown = session::ValidSpeedGroup(group);
    const session::TSpeedGroup& g = FTable[FShown - 1];
    for (int i = 0; i < session::SpeedKeyCount; ++i) {
        Fill(LabelEdits[i], g.Labels[i]);
        Fill(KeyEdits[i], g.Keys[i]);
    }
    const QSignalBlocker block(KeyGroupTabControl);
    KeyGroupTabControl->setCurrentIndex(FShown - 1);
}

void TSpeedKeyDlg::StoreShown() {
    session::TSpeedGroup& g = FTable[FShown - 1];
    for (int i = 0; i < session::SpeedKeyCount; ++i) {
        g.Labels[i] = Bytes(LabelEdits[i]);
        g.Keys[i] = Bytes(KeyEdits[i]);
    }
}

void TSpeedKeyDlg::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (!FActivated) FormActivate();
}

void TSpeedKeyDlg::FormActivate() {
    FActivated = true;
    if (FShown != FMainGroup) {
        StoreShown();
        ShowGroup(FMainGroup);
    }
    if (FocusRowOnShow >= 0 && FocusRowOnShow < session::SpeedKeyCount)
        FocusRow(FocusRowOnShow, false);
}

void TSpeedKeyDlg::KeyGroupTabControlChange(int index) {
    if (index < 0 || index >= session::SpeedGroupCount || index + 1 == FShown) return;
    StoreShown(); // the tab being left
    ShowGroup(index + 1);
}

bool TSpeedKeyDlg::OKBtnClick() {
    StoreShown();
    try {
        std::string bytes;
        win::ReadWholeFile(FFileName, bytes);
        win::TIniText ini(bytes);
        session::WriteSpeedTable(ini, FTable);
        win::WriteFileAtomic(FFileName, ini.Text());
    } catch (const std::exception&) {
        win::ShowWriteErrorOnce(FFileName);
        return false;
    }
    accept();
    return true;
}

void TSpeedKeyDlg::ClearLabelLabelClick() {
    for (QLineEdit* e : LabelEdits)
        e->clear();
}

void TSpeedKeyDlg::ClearKeyLabelClick() {
    for (QLineEdit* e : KeyEdits)
        e->clear();
}

void TSpeedKeyDlg::FocusRow(int row, bool keyEdit) {
    QLineEdit* e = keyEdit ? KeyEdits[row] : LabelEdits[row];
    e->setFocus(Qt::ShortcutFocusReason);
    e->selectAll();
}

bool TSpeedKeyDlg::FormKeyDown(int key, Qt::KeyboardModifiers shift) {
    if (key >= Qt::Key_F1 && key <= Qt::Key_F12) {
        FocusRow(key - Qt::Key_F1, shift & Qt::ControlModifier);
        return true;
    }
    if ((shift & Qt::AltModifier) && key >= Qt::Key_1 && key <= Qt::Key_5) {
        KeyGroupTabControl->setCurrentIndex(key - Qt::Key_1);
        return true;
    }
    return false;
}

bool TSpeedKeyDlg::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::MouseButtonRelease) {
        if (watched == ClearLabelLabel) ClearLabelLabelClick();
        if (watched == ClearKeyLabel) ClearKeyLabelClick();
    }
    // The dialog previews keys of its edits: F-keys and Alt+digits are its
    // own, before any edit or shortcut sees them.
    if ((e->type() == QEvent::ShortcutOverride || e->type() == QEvent::KeyPress) &&
        qobject_cast<QWidget*>(watched) && static_cast<QWidget*>(watched)->window() == this) {
        auto* ke = static_cast<QKeyEvent*>(e);
        const int k = ke->key();
        const bool mine = (k >= Qt::Key_F1 && k <= Qt::Key_F12) ||
                          ((ke->modifiers() & Qt::AltModifier) && k >= Qt::Key_1 && k <= Qt::Key_5);
        if (mine) {
            if (e->type() == QEvent::ShortcutOverride) {
                ke->accept();
                return true;
            }
            return FormKeyDown(k, ke->modifiers());
        }
    }
    return QDialog::eventFilter(watched, e);
}
