#include "screen/ScreenExport.h"

#include <QClipboard>
#include <QFile>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPrinter>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace screen;

namespace {
int PdfPages(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return -1;
    const QByteArray pdf = f.readAll();
    // Page objects, not the page tree ("/Pages").
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?![s\\w])"));
    return static_cast<int>(QString::fromLatin1(pdf).count(page));
}
} // namespace

TEST(ScreenExport, Big5TextConvertsBothWays) {
    const std::string big5 = "ab\xA4\xA4\xA4\xE5 \xA4\x40";
    const QString text = QStringLiteral("ab中文 一");
    EXPECT_EQ(Big5ToQString(big5), text);
    EXPECT_EQ(QStringToBig5(text), big5);
    // A pair that does not convert shows as one replacement character; a
    // lone lead byte at the end as well.
    EXPECT_EQ(Big5ToQString("x\xFF\xFFy\xA4"), QStringLiteral("x\uFFFD\uFFFDy\uFFFD"));
    EXPECT_EQ(QStringToBig5(QStringLiteral("a\U0001F600b")), "a?b");
}

TEST(ScreenExport, ClipboardGetsDesktopLineEnds) {
    CopyBig5ToClipboard("line \xA4\xA4\r\n\r\nlast");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("line 中\n\nlast"));
}

TEST(ScreenExport, PrintoutIntoPdfHasOnePageForEachPageOfLines) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFont font(QStringLiteral("Monospace"), 12);
    auto print = [&](const QString& name, int lineCount, int& pages) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath(name));
        printer.setPageSize(QPageSize(QPageSize::A4));
        std::vector<std::string> lines(lineCount, std::string("row \xA4\xA4"));
        pages = PrintTextLines(printer, font, QStringLiteral("Title - print"), lines);
        return PdfPages(dir.filePath(name));
    };
    int pages = 0;
    EXPECT_EQ(print(QStringLiteral("one.pdf"), 24, pages), 1);
    EXPECT_EQ(pages, 1);
    // Find how many lines fit a page, then overflow by exactly one line.
    QPrinter probe(QPrinter::HighResolution);
    probe.setOutputFormat(QPrinter::PdfFormat);
    probe.setPageSize(QPageSize(QPageSize::A4));
    QFontMetrics fm(font, &probe);
    int perPage =
        probe.pageLayout().paintRectPixels(probe.resolution()).height() / fm.lineSpacing();
    ASSERT_GT(perPage, 10);
    EXPECT_EQ(print(QStringLiteral("full.pdf"), perPage - 1, pages), 1); // title + lines
    EXPECT_EQ(print(QStringLiteral("two.pdf"), perPage, pages), 2);
    EXPECT_EQ(pages, 2);
    EXPECT_EQ(print(QStringLiteral("many.pdf"), perPage * 3, pages), 4);
}
