#include "platform/CodePage.h"

#include "platform/core/Big5.h"

namespace win {

QString Big5ToQString(std::string_view big5) {
    std::string utf8 = Big5ToUtf8(big5);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

QString Big5ToQString(const QByteArray& big5) {
    return Big5ToQString(std::string_view(big5.constData(), static_cast<std::size_t>(big5.size())));
}

std::string QStringToBig5(const QString& text) {
    QByteArray utf8 = text.toUtf8();
    return Utf8ToBig5(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
}

std::string KeptBig5(const QString& shown, const std::string& loaded) {
    if (!loaded.empty() && Big5ToQString(loaded) == shown) return loaded;
    return QStringToBig5(shown);
}

} // namespace win
