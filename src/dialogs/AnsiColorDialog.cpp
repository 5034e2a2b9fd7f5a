#include "dialogs/AnsiColorDialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace {

// One colour per index 0..7, as the screens' first eight colours.
constexpr QRgb SwatchColors[8] = {0x000000, 0x800000, 0x008000, 0x808000,
                                  0x000080, 0x800080, 0x008080, 0xC0C0C0};

QStringList ColorNames() {
    return {QString::fromUtf8("黑"), QString::fromUtf8("紅"), QString::fromUtf8("綠"),
            QString::fromUtf8("黃"), QString::fromUtf8("藍"), QString::fromUtf8("紫"),
            QString::fromUtf8("青"), QString::fromUtf8("白"), QString::fromUtf8("無")};
}

} // namespace

TRadioGroup::TRadioGroup(const QString& caption, const QStringList& items, int columns,
                         QWidget* parent)
    : QGroupBox(caption, parent), FButtons(new QButtonGroup(this)) {
    auto* grid = new QGridLayout(this);
    for (int i = 0; i < items.size(); ++i) {
        auto* b = new QRadioButton(items[i], this);
        FButtons->addButton(b, i);
        grid->addWidget(b, i / columns, i % columns);
    }
    connect(FButtons, &QButtonGroup::idClicked, this, [this](int) {
        if (OnClick) OnClick();
    });
}

int TRadioGroup::ItemIndex() const {
    return FButtons->checkedId();
}

void TRadioGroup::SetItemIndex(int index) {
    if (QAbstractButton* b = FButtons->button(index)) b->setChecked(true);
}

QAbstractButton* TRadioGroup::Item(int index) const {
    return FButtons->button(index);
}

TAnsiColorDlg::TAnsiColorDlg(int head, const QString& letter, QWidget* parent)
    : QDialog(parent, Qt::Tool) {
    setObjectName(QStringLiteral("AnsiColorDlg"));
    setWindowTitle(QString::fromUtf8("ANSI 色彩"));
    setModal(false);

    HeadKeyRadioGroup = new TRadioGroup(
        QString::fromUtf8("控制碼"),
        {QStringLiteral("Esc Esc"), QStringLiteral("Ctrl + "), QString::fromUtf8("無")}, 1, this);
    HeadKeyRadioGroup->setObjectName(QStringLiteral("HeadKeyRadioGroup"));
    AnsiCtrlMaskEdit = new QLineEdit(this);
    AnsiCtrlMaskEdit->setObjectName(QStringLiteral("AnsiCtrlMaskEdit"));
    AnsiCtrlMaskEdit->setMaxLength(1);
    AnsiCtrlMaskEdit->setFixedWidth(28);
    AnsiCtrlMaskEdit->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[A-Za-z]?")), AnsiCtrlMaskEdit));
    static_cast<QGridLayout*>(HeadKeyRadioGroup->layout())->addWidget(AnsiCtrlMaskEdit, 1, 1);

    HighLightCheckBox = new QCheckBox(QString::fromUtf8("高亮度"), this);
    HighLightCheckBox->setObjectName(QStringLiteral("HighLightCheckBox"));
    UnderlineCheckBox = new QCheckBox(QString::fromUtf8("底線"), this);
    UnderlineCheckBox->setObjectName(QStringLiteral("UnderlineCheckBox"));
    FlashCheckBox = new QCheckBox(QString::fromUtf8("閃爍"), this);
    FlashCheckBox->setObjectName(QStringLiteral("FlashCheckBox"));
    InverseCheckBox = new QCheckBox(QString::fromUtf8("反白"), this);
    InverseCheckBox->setObjectName(QStringLiteral("InverseCheckBox"));

    TextRadioGroup = new TRadioGroup(QString::fromUtf8("前景"), ColorNames(), 1, this);
    TextRadioGroup->setObjectName(QStringLiteral("TextRadioGroup"));
    TextRadioGroup->SetItemIndex(7);
    BackRadioGroup = new TRadioGroup(QString::fromUtf8("背景"), ColorNames(), 1, this);
    BackRadioGroup->setObjectName(QStringLiteral("BackRadioGroup"));
    BackRadioGroup->SetItemIndex(8);

    // The swatches: a sunken column beside the colour groups, one per index.
    auto* swatchColumn = new QVBoxLayout;
    swatchColumn->addSpacing(18);
    for (int i = 0; i < 8; ++i) {
        auto* s = new QLabel(this);
        s->setObjectName(QStringLiteral("Swatch%1").arg(i));
        s->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        s->setFixedSize(28, 16);
        s->setAutoFillBackground(true);
        QPalette p = s->palette();
        p.setColor(QPalette::Window, QColor(SwatchColors[i]));
        s->setPalette(p);
        Swatches[i] = s;
        swatchColumn->addWidget(s);
    }
    swatchColumn->addStretch(1);

    AllButton = new QPushButton(QString::fromUtf8("全部(&A)"), this);
    AllButton->setObjectName(QStringLiteral("AllButton"));
    TextButton = new QPushButton(QString::fromUtf8("前景(&T)"), this);
    TextButton->setObjectName(QStringLiteral("TextButton"));
    BackButton = new QPushButton(QString::fromUtf8("背景(&B)"), this);
    BackButton->setObjectName(QStringLiteral("BackButton"));
    NormalButton = new QPushButton(QString::fromUtf8("還原(&N)"), this);
    NormalButton->setObjectName(QStringLiteral("NormalButton"));
    for (QPushButton* b : {AllButton, TextButton, BackButton, NormalButton})
        b->setAutoDefault(false);

    auto* attributes = new QVBoxLayout;
    attributes->addWidget(HeadKeyRadioGroup);
    for (QCheckBox* c : {HighLightCheckBox, UnderlineCheckBox, FlashCheckBox, InverseCheckBox})
        attributes->addWidget(c);
    attributes->addStretch(1);
    auto* colours = new QHBoxLayout;
    colours->addLayout(attributes);
    colours->addWidget(TextRadioGroup);
    colours->addLayout(swatchColumn);
    colours->addWidget(BackRadioGroup);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {AllButton, TextButton, BackButton, NormalButton})
        buttons->addWidget(b);
    auto* column = new QVBoxLayout(this);
    column->addLayout(colours);
    column->addLayout(buttons);

    // FormCreate: the head from the menus, the letter box from their caption.
    HeadKeyRadioGroup->SetItemIndex(head >= 0 && head <= 2 ? head : 0);
    const char l = session::ControlLetter(letter.toLatin1().constData());
    AnsiCtrlMaskEdit->setText(QString(QLatin1Char(l ? l : 'U')));

    HeadKeyRadioGroup->OnClick = [this] { HeadKeyRadioGroupClick(); };
    connect(AnsiCtrlMaskEdit, &QLineEdit::textChanged, this, [this] { AnsiCtrlMaskEditChange(); });
    connect(AllButton, &QPushButton::clicked, this,
            [this] { SendCode(BuildCode(session::TColorPart::All)); });
    connect(TextButton, &QPushButton::clicked, this,
            [this] { SendCode(BuildCode(session::TColorPart::Text)); });
    connect(BackButton, &QPushButton::clicked, this,
            [this] { SendCode(BuildCode(session::TColorPart::Back)); });
    connect(NormalButton, &QPushButton::clicked, this,
            [this] { SendCode(session::NormalCode(Choice())); });
}

session::TColorChoice TAnsiColorDlg::Choice() const {
    session::TColorChoice c;
    c.Head = HeadKeyRadioGroup->ItemIndex();
    c.Letter = session::ControlLetter(AnsiCtrlMaskEdit->text().toLatin1().constData());
    c.HighLight = HighLightCheckBox->isChecked();
    c.Underline = UnderlineCheckBox->isChecked();
    c.Flash = FlashCheckBox->isChecked();
    c.Inverse = InverseCheckBox->isChecked();
    c.Text = TextRadioGroup->ItemIndex() < 0 ? 8 : TextRadioGroup->ItemIndex();
    c.Back = BackRadioGroup->ItemIndex() < 0 ? 8 : BackRadioGroup->ItemIndex();
    return c;
}

std::string TAnsiColorDlg::BuildCode(session::TColorPart part) const {
    return session::BuildCode(Choice(), part);
}

void TAnsiColorDlg::SendCode(const std::string& code) {
    if (OnSendCode) OnSendCode(code);
}

void TAnsiColorDlg::HeadKeyRadioGroupClick() {
    if (OnHeadChange) OnHeadChange(HeadKeyRadioGroup->ItemIndex());
}

void TAnsiColorDlg::AnsiCtrlMaskEditChange() {
    const QString upper = AnsiCtrlMaskEdit->text().toUpper();
    if (upper != AnsiCtrlMaskEdit->text()) AnsiCtrlMaskEdit->setText(upper);
    const char l = session::ControlLetter(upper.toLatin1().constData());
    if (l && OnLetterChange) OnLetterChange(l);
}

// Esc closes the window as its close box does, so the menu's check mark
// never stays on a hidden composer.
void TAnsiColorDlg::reject() {
    close();
}

void TAnsiColorDlg::closeEvent(QCloseEvent* e) {
    e->accept();
    if (OnFormClose) OnFormClose();
}
