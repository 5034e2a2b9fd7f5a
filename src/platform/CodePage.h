// Code page 950 at the Qt boundary: Big5 bytes become QString where text
// enters a widget, and typed QString text becomes Big5 bytes where it enters
// a file or a screen. Pairs without a character show as U+FFFD; characters
// that code page 950 lacks become "?".
#pragma once
#include <QByteArray>
#include <QString>
#include <string>
#include <string_view>

namespace win {

QString Big5ToQString(std::string_view big5);
QString Big5ToQString(const QByteArray& big5);
std::string QStringToBig5(const QString& text);

// The bytes behind a text a widget shows that was filled from `loaded`:
// the loaded bytes while the widget still shows what they read as (so a
// pair without a character survives being shown and saved again), else
// the shown text converted.
std::string KeptBig5(const QString& shown, const std::string& loaded);

} // namespace win
