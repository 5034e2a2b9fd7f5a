// The progress pass of commands that walk every session: the percentage
// the status bar shows before each step, and the lock that keeps the
// long-running commands disabled for the pass. A pass started inside
// another pass (a step that runs another walking command) neither locks nor
// unlocks; the outer pass does both.
#pragma once
#include <string>

namespace session {

// i * 100 / n rounded to the nearest integer, halves to even; 0 for n <= 0.
int ProgressPercent(int i, int n);
// "進度: " + percentage + " %" (UTF-8).
std::string ProgressText(int i, int n);

class TPassLock {
public:
    // True when this is the outermost pass: the caller locks the commands.
    bool Enter() { return FDepth++ == 0; }
    // True when the outermost pass ends: the caller unlocks them.
    bool Leave() { return FDepth > 0 && --FDepth == 0; }
    bool Active() const { return FDepth > 0; }

private:
    int FDepth = 0;
};

} // namespace session
