#include "screen/ScreenExport.h"

#include "platform/core/Big5.h"

#include <QClipboard>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QPrinter>

namespace screen {

QString Big5ToQString(std::string_view bytes) {
    return QString::fromStdString(win::Big5ToUtf8(bytes));
}

std::string QStringToBig5(const QString& text) {
    return win::Utf8ToBig5(text.toStdString());
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
