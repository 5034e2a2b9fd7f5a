// Shows the once-per-run settings write error (ShowWriteErrorOnce) as an
// error box with one OK button.
#pragma once

namespace win {

// Call once after the QApplication exists. A failure reported from another
// thread shows its box on the GUI thread.
void InstallWriteErrorBox();

} // namespace win
