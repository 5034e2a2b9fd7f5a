// Answers the modal dialogs a widget test provokes, one scripted answer per
// dialog in the order they open. A dialog that opens with no answer left is
// rejected and fails the test, so a test never hangs on a question.
#pragma once
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include "support/RealInput.h"

#include <deque>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace testsupport {

class TModalScript {
public:
    using TAnswer = std::function<void(QDialog*)>;

    TModalScript() {
        FTimer.setInterval(5);
        QObject::connect(&FTimer, &QTimer::timeout, [this] { Poll(); });
        FTimer.start();
    }
    ~TModalScript() { EXPECT_TRUE(FAnswers.empty()) << FAnswers.size() << " answers unused"; }

    // A modal window that is the test's subject, not a question.
    void Ignore(QWidget* w) { FIgnored.push_back(w); }
    void Then(TAnswer answer) { FAnswers.push_back(std::move(answer)); }
    // Types text into the dialog's line edit and clicks OK.
    void Type(const QString& text) {
        Then([text](QDialog* d) {
            if (auto* e = d->findChild<QLineEdit*>("Edit")) TypeOver(e, text);
            Answer(d, true);
        });
    }
    void Cancel() {
        Then([](QDialog* d) { Answer(d, false); });
    }
    // A message box: remembers its text and clicks OK.
    void Ok() {
        Then([this](QDialog* d) {
            if (auto* b = qobject_cast<QMessageBox*>(d)) Texts.push_back(b->text().toStdString());
            Answer(d, true);
        });
    }
    // Clicks the dialog's OK or Cancel button; a dialog without one in view
    // fails the test and is closed all the same, so that nothing hangs.
    static void Answer(QDialog* d, bool ok) {
        if (ClickAnswer(d, ok) && !d->isVisible()) return;
        ADD_FAILURE() << "no " << (ok ? "OK" : "Cancel") << " button answered \""
                      << d->windowTitle().toStdString() << "\"";
        if (d->isVisible()) ok ? d->accept() : d->reject();
    }
    // Every dialog caption (window title) answered so far.
    std::vector<std::string> Captions;
    // Texts of the message boxes answered with Ok().
    std::vector<std::string> Texts;
    int Unexpected = 0;

private:
    void Poll() {
        auto* w = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!w) return;
        for (const auto& i : FIgnored)
            if (i == w) return;
        // A dialog stays answered until it closes, also while a question it
        // raised is answered above it.
        for (const auto& h : FHandled)
            if (h == w) return;
        FHandled.emplace_back(w);
        QObject::connect(w, &QDialog::finished, w, [this, w] {
            std::erase_if(FHandled, [w](const QPointer<QDialog>& h) { return !h || h == w; });
        });
        Captions.push_back(w->windowTitle().toStdString());
        if (FAnswers.empty()) {
            ++Unexpected;
            ADD_FAILURE() << "unexpected dialog \"" << w->windowTitle().toStdString() << "\"";
            w->reject();
            return;
        }
        TAnswer a = std::move(FAnswers.front());
        FAnswers.pop_front();
        // The new dialog is the active window, as the window manager makes
        // it, so that its boxes take the keyboard.
        QApplication::setActiveWindow(w);
        a(w);
    }
    std::deque<TAnswer> FAnswers;
    std::vector<QPointer<QDialog>> FHandled;
    std::vector<QPointer<QWidget>> FIgnored;
    QTimer FTimer;
};

} // namespace testsupport
