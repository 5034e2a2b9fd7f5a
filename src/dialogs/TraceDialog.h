// The trace replay window (TTraceDlg, "追蹤對話框"): shows the bytes fed so
// far and resumes the replay. Event driven: while paused nothing runs; the
// buttons and "不要暫停" resume the feeder, which then feeds one slice per
// event-loop turn into whichever session is current at that moment.
#pragma once
#include "session/core/TraceReplay.h"

#include <QDialog>
#include <functional>
#include <memory>

class QCheckBox;
class QPlainTextEdit;
class QPushButton;
class QTimer;
class TCustomVtEmul;

class TTraceDlg : public QDialog {
    Q_OBJECT
public:
    explicit TTraceDlg(QWidget* owner);
    ~TTraceDlg() override;

    QPlainTextEdit* TraceMemo = nullptr;
    QPushButton* ContinueBtn = nullptr;
    QPushButton* Button = nullptr; // "繼續*10(&Q)"
    QCheckBox* DontStopCheckBox = nullptr;

    // The session that receives the bytes, looked up at every resume
    // (nullptr: the bytes are dropped).
    std::function<TCustomVtEmul*()> CurrentScreen;
    // The bell of an ESC byte shown while stepping.
    std::function<void()> OnEscape;

    // Bytes fed per event-loop turn while not pausing.
    std::size_t SliceBytes = 64 * 1024;

    // Starts feeding; done runs once at the end (or when stopped).
    void Start(std::unique_ptr<trace::TTraceFeeder> feeder, std::function<void()> done);
    bool Running() const { return FFeeder != nullptr; }
    // Ends the replay now (the program is closing).
    void Stop();

    void ContinueBtnClick();
    void ButtonClick();
    // Puts the window's frame into the bottom-right corner of the screen.
    void PlaceInCorner();

protected:
    void showEvent(QShowEvent* e) override;

private:
    void Schedule();
    void RunSlice();
    void AddPair(std::uint8_t b, std::size_t memoLine);

    std::unique_ptr<trace::TTraceFeeder> FFeeder;
    std::function<void()> FDone;
    QTimer* FTimer = nullptr;
    std::size_t FMemoLines = 0;
    bool FShown = false; // shown once: placed by its own frame
};
