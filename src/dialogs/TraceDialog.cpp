#include "dialogs/TraceDialog.h"

#include "platform/WindowFrame.h"
#include "screen/VtEmul.h"
#include "session/core/FramePlace.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QTextBlock>
#include <QTextCursor>
#include <QTimer>
#include <QVBoxLayout>

#include <utility>

TTraceDlg::TTraceDlg(QWidget* owner) : QDialog(owner, Qt::Tool | Qt::WindowStaysOnTopHint) {
    setObjectName("TraceDlg");
    setWindowTitle(QString::fromUtf8("追蹤對話框"));
    setModal(false);
    TraceMemo = new QPlainTextEdit(this);
    TraceMemo->setObjectName("TraceMemo");
    TraceMemo->setReadOnly(true);
    TraceMemo->setLineWrapMode(QPlainTextEdit::NoWrap);
    QFont mono("Monospace");
    mono.setStyleHint(QFont::TypeWriter);
    TraceMemo->setFont(mono);
    ContinueBtn = new QPushButton(QString::fromUtf8("繼續(&C)"), this);
    ContinueBtn->setObjectName("ContinueBtn");
    ContinueBtn->setDefault(true);
    Button = new QPushButton(QString::fromUtf8("繼續*10(&Q)"), this);
    Button->setObjectName("Button");
    DontStopCheckBox = new QCheckBox(QString::fromUtf8("不要暫停(&D)"), this);
    DontStopCheckBox->setObjectName("DontStopCheckBox");

    auto* row = new QHBoxLayout;
    row->addWidget(ContinueBtn);
    row->addWidget(Button);
    row->addWidget(DontStopCheckBox);
    row->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(TraceMemo);
    layout->addLayout(row);
    resize(440, 220);
    PlaceInCorner();

    FTimer = new QTimer(this);
    FTimer->setSingleShot(true);
    FTimer->setInterval(0);
    connect(FTimer, &QTimer::timeout, this, [this] { RunSlice(); });
    connect(ContinueBtn, &QPushButton::clicked, this, [this] { ContinueBtnClick(); });
    connect(Button, &QPushButton::clicked, this, [this] { ButtonClick(); });
    connect(DontStopCheckBox, &QCheckBox::toggled, this, [this] { Schedule(); });
}

TTraceDlg::~TTraceDlg() {
    // The program closes: the replay ends with it.
    FDone = nullptr;
    FFeeder.reset();
}

void TTraceDlg::Start(std::unique_ptr<trace::TTraceFeeder> feeder, std::function<void()> done) {
    FFeeder = std::move(feeder);
    FDone = std::move(done);
    TraceMemo->clear();
    FMemoLines = 0;
    Schedule();
}

void TTraceDlg::Stop() {
    FTimer->stop();
    FFeeder.reset();
    if (auto done = std::move(FDone)) {
        FDone = nullptr;
        done();
    }
}

void TTraceDlg::PlaceInCorner() {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    const QMargins m = win::FrameMargins(this);
    const session::TFrameMargins frame{m.left(), m.top(), m.right(), m.bottom()};
    const QRect r = screen->availableGeometry();
    const session::TLayoutRect outer =
        session::OuterInCorner({r.x(), r.y(), r.width(), r.height()}, {width(), height()}, frame);
    win::MoveFrameTo(this, QPoint(outer.Left, outer.Top));
}

void TTraceDlg::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (!std::exchange(FShown, true)) PlaceInCorner();
}

void TTraceDlg::ContinueBtnClick() {
    if (!FFeeder) return;
    FFeeder->Continue();
    Schedule();
}

void TTraceDlg::ButtonClick() {
    if (!FFeeder) return;
    FFeeder->ContinueTen();
    Schedule();
}

void TTraceDlg::Schedule() {
    if (FFeeder && !FTimer->isActive()) FTimer->start();
}

void TTraceDlg::AddPair(std::uint8_t b, std::size_t memoLine) {
    static const char hex[] = "0123456789ABCDEF";
    const QString pair = QString(QChar(hex[b >> 4])) + QChar(hex[b & 15]) + ' ';
    if (memoLine >= FMemoLines) {
        if (FMemoLines == 0)
            TraceMemo->setPlainText(pair);
        else
            TraceMemo->appendPlainText(pair);
        FMemoLines = memoLine + 1;
        return;
    }
    QTextCursor c(TraceMemo->document()->findBlockByNumber(static_cast<int>(memoLine)));
    c.movePosition(QTextCursor::EndOfBlock);
    c.insertText(pair);
}

void TTraceDlg::RunSlice() {
    if (!FFeeder) return;
    const bool show = !DontStopCheckBox->isChecked();
    TCustomVtEmul* screen = CurrentScreen ? CurrentScreen() : nullptr;
    auto sink = [&](std::uint8_t b, std::size_t line, bool shown) {
        if (screen) screen->ProcessChar(b);
        if (!shown) return;
        if (b == 27 && OnEscape) OnEscape();
        AddPair(b, line);
    };
    if (screen) {
        TScreenBuffer::TWriteBatch batch(screen->Screen());
        FFeeder->Run(show, show ? 1 : SliceBytes, sink);
    } else {
        FFeeder->Run(show, show ? 1 : SliceBytes, sink);
    }
    if (FFeeder->Finished()) {
        Stop();
        return;
    }
    // Stepping: the next byte waits for a button unless one is still owed
    // (Continue x10); unpaused, the next slice comes on the next turn.
    if (!show || !FFeeder->Waiting()) Schedule();
}
