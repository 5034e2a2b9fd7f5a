#include "screen/ScreenExport.h"

#include "platform/CodePage.h"

#include <QClipboard>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QMimeData>
#include <QPainter>
#include <QPrinter>

namespace screen {

namespace {
const QString kBig5Mime = QStringLiteral("application/x-brannocpro-big5");
} // namespace

void CopyBig5ToClipboard(const std::string& text) {
    auto* cb = QGuiApplication::clipboard();
    if (!cb) return;
    QByteArray bytes(text.data(), static_cast<qsizetype>(text.size()));
    bytes.replace("\r\n", "\n");
    auto* data = new QMimeData; // the clipboard takes it over
    data->setText(win::Big5ToQString(bytes));
    data->setData(kBig5Mime, bytes);
    cb->setMimeData(data);
}

std::string ClipboardBig5() {
    auto* cb = QGuiApplication::clipboard();
    if (!cb) return {};
    if (const QMimeData* data = cb->mimeData(); data && data->hasFormat(kBig5Mime)) {
        const QByteArray bytes = data->data(kBig5Mime);
        return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    }
    return win::QStringToBig5(cb->text());
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
        line(win::Big5ToQString(l));
    p.end();
    return pages;
}

} // namespace screen
