#include "dialogs/FindDialog.h"

#include "controls/DockWin.h"
#include "controls/core/MoveOnScreen.h"
#include "dialogs/PasswdDialog.h"
#include "platform/CodePage.h"
#include "platform/WindowFrame.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>

TFForm::TFForm(QWidget* owner) : QDialog(owner, Qt::Tool | Qt::WindowStaysOnTopHint) {
    setObjectName("FForm");
    setWindowTitle(QString::fromUtf8("尋找字串"));
    setModal(false);

    FindLabel = new QLabel(QString::fromUtf8("尋找目標(&N):"), this);
    FindComboBox = new QComboBox(this);
    FindComboBox->setObjectName("FindComboBox");
    FindComboBox->setEditable(true);
    FindComboBox->setInsertPolicy(QComboBox::NoInsert);
    // The box searches for what was typed: its completion and the match of
    // the typed text against the history (on Enter) respect letter case, so
    // "needle" never turns into a "NEEDLE" of the history.
    FindComboBox->completer()->setCaseSensitivity(Qt::CaseSensitive);
    FindComboBox->setMinimumWidth(220);
    FindLabel->setBuddy(FindComboBox);

    DirectionRadioGroup = new QGroupBox(QString::fromUtf8("方向"), this);
    DirectionRadioGroup->setObjectName("DirectionRadioGroup");
    UpRadio = new QRadioButton(QString::fromUtf8("向上(&U)"), DirectionRadioGroup);
    DownRadio = new QRadioButton(QString::fromUtf8("向下(&D)"), DirectionRadioGroup);
    auto* dirLayout = new QHBoxLayout(DirectionRadioGroup);
    dirLayout->addWidget(UpRadio);
    dirLayout->addWidget(DownRadio);
    DownRadio->setChecked(true);

    CaseCheckBox = new QCheckBox(QString::fromUtf8("大小寫符合(&C)"), this);
    CaseCheckBox->setObjectName("CaseCheckBox");

    FindNextBtn = new QPushButton(QString::fromUtf8("找下一個(&F)"), this);
    FindNextBtn->setObjectName("FindNextBtn");
    FindNextBtn->setDefault(true); // Enter is Find Next
    ResetBtn = new QPushButton(QString::fromUtf8("重設(&R)"), this);
    ResetBtn->setObjectName("ResetBtn");
    ResetBtn->setAutoDefault(false);

    auto* grid = new QGridLayout(this);
    grid->addWidget(FindLabel, 0, 0);
    grid->addWidget(FindComboBox, 0, 1);
    grid->addWidget(FindNextBtn, 0, 2);
    grid->addWidget(DirectionRadioGroup, 1, 0, 1, 2);
    grid->addWidget(ResetBtn, 1, 2);
    grid->addWidget(CaseCheckBox, 2, 0, 1, 2);

    connect(FindComboBox, &QComboBox::editTextChanged, this, [this] { FindComboBoxChange(); });
    connect(FindNextBtn, &QPushButton::clicked, this, [this] { FindNextBtnClick(); });
    connect(ResetBtn, &QPushButton::clicked, this, [this] { ResetBtnClick(); });

    OnNotFound = [this](const QString& text) {
        QMessageBox box(QMessageBox::Information, windowTitle(), text, QMessageBox::Ok, this);
        box.exec();
    };
    FindComboBoxChange();
}

TFForm::~TFForm() {
    if (OnSave) OnSave(Settings());
}

void TFForm::Load(const findtext::TFindSettings& s, const QRect& ownerFrame) {
    FindComboBox->setEditText(win::Big5ToQString(s.Str));
    (s.Direction == findtext::DirUp ? UpRadio : DownRadio)->setChecked(true);
    CaseCheckBox->setChecked(s.CaseSensitive);
    adjustSize();
    // Places and sizes are the whole window's, frame included.
    const QSize size = win::FrameRect(this).size();
    QPoint at = s.HasPlace ? QPoint(s.Left, s.Top)
                           : QPoint(ownerFrame.left() + ownerFrame.width() - size.width(),
                                    ownerFrame.top() + ownerFrame.height() - size.height());
    // A place off every screen (another monitor set-up, a hand-edited file)
    // comes back onto the nearest one; one still partly on a screen stays.
    at.setX(std::min(at.x(), INT_MAX - size.width()));
    at.setY(std::min(at.y(), INT_MAX - size.height()));
    const controls::TRect moved = controls::MoveOnScreen(
        controls::RectOfSize(at.x(), at.y(), size.width(), size.height()), ScreenWorkAreas(), true);
    win::MoveFrameTo(this, QPoint(moved.Left, moved.Top));
    FindComboBoxChange();
    State.LastDirection = Direction();
    ResetBtnClick();
}

findtext::TFindSettings TFForm::Settings() const {
    findtext::TFindSettings s;
    s.Str = SearchText();
    s.Direction = Direction();
    s.CaseSensitive = CaseCheckBox->isChecked();
    const QRect frame = win::FrameRect(this);
    s.Left = frame.x();
    s.Top = frame.y();
    s.HasPlace = true;
    return s;
}

int TFForm::Direction() const {
    return UpRadio->isChecked() ? findtext::DirUp : findtext::DirDown;
}

std::string TFForm::SearchText() const {
    return win::QStringToBig5(FindComboBox->currentText());
}

std::vector<std::string> TFForm::History() const {
    std::vector<std::string> items;
    for (int i = 0; i < FindComboBox->count(); ++i)
        items.push_back(win::QStringToBig5(FindComboBox->itemText(i)));
    return items;
}

void TFForm::FindComboBoxChange() {
    FindNextBtn->setEnabled(!FindComboBox->currentText().isEmpty());
}

void TFForm::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    FindComboBox->setFocus();
}

void TFForm::ResetBtnClick() {
    findtext::TFindRows* rows = CurrentRows ? CurrentRows() : nullptr;
    if (!rows) return;
    State.Reset(*rows, Direction(), static_cast<int>(SearchText().size()));
}

void TFForm::FindNextBtnClick() {
    findtext::TFindRows* rows = CurrentRows ? CurrentRows() : nullptr;
    if (!rows) return;
    const QString shown = FindComboBox->currentText();
    const std::string text = win::QStringToBig5(shown);
    if (text.empty()) return;
    const bool found = State.Step(*rows, text, Direction(), CaseCheckBox->isChecked());

    // The text to the front of the drop-down list, and kept in the box.
    std::vector<std::string> items = History();
    findtext::MoveToFront(items, text);
    FindComboBox->blockSignals(true);
    FindComboBox->clear();
    for (const std::string& item : items)
        FindComboBox->addItem(win::Big5ToQString(item));
    FindComboBox->setEditText(shown);
    FindComboBox->blockSignals(false);
    FindComboBoxChange();

    if (!found && OnNotFound) OnNotFound(QString::fromUtf8("找不到 \"") + shown + "\"");
}
