#include "screen/ScreenExport.h"

#include <QClipboard>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QPrinter>

#include <cerrno>
#include <iconv.h>

namespace screen {
namespace {

// One conversion with iconv; `bad` replaces an input sequence that does not
// convert, skipping `skip` input bytes.
template <typename Out>
Out Convert(const char* to, const char* from, const char* in, size_t inLen, const Out& bad,
            size_t skip) {
    Out out;
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return out;
    char buf[1024];
    char* src = const_cast<char*>(in);
    size_t left = inLen;
    while (left > 0) {
        char* dst = buf;
        size_t room = sizeof buf;
        size_t r = iconv(cd, &src, &left, &dst, &room);
        out.append(reinterpret_cast<const typename Out::value_type*>(buf),
                   (dst - buf) / sizeof(typename Out::value_type));
        if (r == static_cast<size_t>(-1) && errno != E2BIG) {
            out += bad;
            size_t n = std::min(skip, left);
            src += n;
            left -= n;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    iconv_close(cd);
    return out;
}

} // namespace

QString Big5ToQString(std::string_view bytes) {
    QString out;
    size_t i = 0;
    // Convert piece by piece so that an unconvertible pair costs just its
    // own two bytes, the way the screen pairs them.
    while (i < bytes.size()) {
        size_t j = i;
        while (j < bytes.size() && static_cast<unsigned char>(bytes[j]) < 0x80)
            ++j;
        out += QString::fromLatin1(bytes.data() + i, static_cast<qsizetype>(j - i));
        if (j >= bytes.size()) break;
        unsigned char lead = static_cast<unsigned char>(bytes[j]);
        size_t n = lead >= 0x81 && lead <= 0xFE && j + 1 < bytes.size() ? 2 : 1;
        std::u16string u =
            Convert<std::u16string>("UTF-16LE", "CP950", bytes.data() + j, n, std::u16string(), n);
        if (u.empty())
            out += QChar(0xFFFD);
        else
            out += QString::fromStdU16String(u);
        i = j + n;
    }
    return out;
}

std::string QStringToBig5(const QString& text) {
    // Whole code points, so a character outside the basic plane that has no
    // Big5 form becomes one '?'.
    std::u32string u = text.toStdU32String();
    return Convert<std::string>("CP950", "UTF-32LE", reinterpret_cast<const char*>(u.data()),
                                u.size() * 4, std::string("?"), 4);
}

void CopyBig5ToClipboard(const std::string& text) {
    QString s = Big5ToQString(text);
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (auto* cb = QGuiApplication::clipboard()) cb->setText(s);
}

int PrintTextLines(QPrinter& printer, const QFont& font, const QString& title,
                   const std::vector<std::string>& lines) {
    QPainter p;
    if (!p.begin(&printer)) return 0;
    p.setFont(font);
    QFontMetrics fm(p.font(), &printer);
    const int step = std::max(1, fm.lineSpacing());
    const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
    const int height = std::max(step, page.height());
    int pages = 1;
    int y = 0;
    auto line = [&](const QString& s) {
        if (y + step > height) {
            printer.newPage();
            ++pages;
            y = 0;
        }
        p.drawText(0, y + fm.ascent(), s);
        y += step;
    };
    line(title);
    for (const auto& l : lines)
        line(Big5ToQString(l));
    p.end();
    return pages;
}

} // namespace screen
