// Getting screen text out through the desktop: code page 950 text to and
// from the clipboard, and printing lines on a printer or into a PDF file.
#pragma once
#include <QFont>
#include <QString>

#include <string>
#include <vector>

class QPrinter;

namespace screen {

// Puts Big5 text (lines separated by CR LF) on the clipboard as the
// desktop's plain text, lines separated by LF. The bytes themselves ride
// along under a private format: a copy with colour codes can split a Big5
// pair around a colour change, and such a half has no text form.
void CopyBig5ToClipboard(const std::string& text);

// The clipboard as Big5 bytes, lines separated by LF: our own bytes when
// the clipboard holds them, else the desktop's text converted.
std::string ClipboardBig5();

// Prints `title` and then one line per entry with `font`, as many lines per
// page as fit. Returns the number of pages, 0 when the printer could not be
// opened.
int PrintTextLines(QPrinter& printer, const QFont& font, const QString& title,
                   const std::vector<std::string>& lines);

} // namespace screen
