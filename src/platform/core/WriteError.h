// The one message a failed settings write gives: "無法寫入 " + full path +
// "!", shown at most once per run however many writes fail afterwards
// (or "無法讀取 ...!" when the file could not even be read).
#pragma once
#include <functional>
#include <string>
#include <string_view>

namespace win {

// Shows the write-error message for fileName (made absolute) the first time
// it is called in a run; later calls do nothing. Safe from any thread.
void ShowWriteErrorOnce(std::string_view fileName);

// The text ShowWriteErrorOnce shows (UTF-8; the path as the file system has it).
std::string WriteErrorText(std::string_view fileName);

// A settings file that exists but cannot be read (a folder, a FIFO, too
// big, no permission): "無法讀取 " + full path + "!", through the same
// handler and the same once-per-run allowance, since the writes that follow
// fail for the same reason.
void ShowReadErrorOnce(std::string_view fileName);
std::string ReadErrorText(std::string_view fileName);

// Who shows the message: the programs install an error box; without a
// handler the text goes to standard error. Returns the previous handler.
using TWriteErrorHandler = std::function<void(const std::string& text)>;
TWriteErrorHandler SetWriteErrorHandler(TWriteErrorHandler handler);

// Arms the message again (tests; a run shows it once).
void RearmWriteError();

} // namespace win
