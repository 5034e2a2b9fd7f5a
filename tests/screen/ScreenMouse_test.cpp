#include "ScreenWidgets.h"

#include "platform/core/Files.h"

#include <QClipboard>
#include <QFile>
#include <QPrinter>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {
void Drag(TRecordingEmul& e, QPoint from, QPoint to, Qt::KeyboardModifiers m = {}) {
    QTest::mousePress(&e, Qt::LeftButton, m, e.Cell(from.x(), from.y()));
    QTest::mouseMove(&e, e.Cell((from.x() + to.x()) / 2, (from.y() + to.y()) / 2));
    QTest::mouseMove(&e, e.Cell(to.x(), to.y()));
    QTest::mouseRelease(&e, Qt::LeftButton, m, e.Cell(to.x(), to.y()));
}

QString Clip() {
    return QGuiApplication::clipboard()->text();
}

std::string ReadFile(const QString& path) {
    std::string out;
    win::ReadWholeFile(path.toStdString(), out);
    return out;
}

struct ScreenMouse : ::testing::Test {
    void SetUp() override {
        ASSERT_TRUE(ShowActive(Emul));
        Emul.WriteStr("0123456789\r\nabcdefghij\r\nABCDEFGHIJ");
        Emul.Render();
    }
    TRecordingEmul Emul;
};
} // namespace

TEST_F(ScreenMouse, DragSelectsAStreamInTextOrderAndCtrlDragABlock) {
    Drag(Emul, {2, 2}, {6, 0}); // up and to the right from the lower end
    EXPECT_TRUE(Emul.SelectionShown);
    EXPECT_FALSE(Emul.BlockMode());
    Emul.CopySelection();
    EXPECT_EQ(Clip(), QStringLiteral("6789\nabcdefghij\nABC"));
    Drag(Emul, {5, 2}, {2, 0}, Qt::ControlModifier);
    EXPECT_TRUE(Emul.BlockMode());
    EXPECT_EQ(Emul.SelLeft(), 2);
    EXPECT_EQ(Emul.SelBottom(), 2);
    Emul.CopySelection();
    EXPECT_EQ(Clip(), QStringLiteral("2345\ncdef\nCDEF"));
    // A click drops the selection.
    QTest::mouseClick(&Emul, Qt::LeftButton, {}, Emul.Cell(1, 1));
    EXPECT_FALSE(Emul.SelectionShown);
}

TEST_F(ScreenMouse, DoubleClickSelectsAWord) {
    Emul.GotoXY(0, 4);
    Emul.WriteStr("say \xA4\xA4\xA4\xE5 now");
    Emul.Render();
    QTest::mouseDClick(&Emul, Qt::LeftButton, {}, Emul.Cell(5, 4));
    Emul.CopySelection();
    EXPECT_EQ(Clip(), QStringLiteral("中文"));
    QTest::mouseDClick(&Emul, Qt::LeftButton, {}, Emul.Cell(1, 4));
    Emul.CopySelection();
    EXPECT_EQ(Clip(), QStringLiteral("say"));
}

TEST_F(ScreenMouse, LinksAreFoundHoveredAndReportedWhenClicked) {
    Emul.GotoXY(0, 5);
    Emul.WriteStr("go to http://bbs.example.org/x. or mail sysop@bbs.example.org");
    Emul.Render();
    ASSERT_EQ(Emul.Hyperlinks().size(), 2u);
    QTest::mouseMove(&Emul, Emul.Cell(10, 5));
    EXPECT_EQ(Emul.HoverLinkText, "http://bbs.example.org/x");
    EXPECT_EQ(Emul.HoverLinkKind, 0);
    QTest::mouseMove(&Emul, Emul.Cell(3, 5));
    EXPECT_EQ(Emul.HoverLinkText, "");
    std::vector<std::pair<std::string, int>> opened;
    Emul.OnHyperlink = [&](TBgCrt*, const std::string& s, int kind) {
        opened.emplace_back(s, kind);
    };
    QTest::mouseMove(&Emul, Emul.Cell(45, 5));
    QTest::mousePress(&Emul, Qt::LeftButton, {}, Emul.Cell(45, 5));
    QTest::mouseMove(&Emul, Emul.Cell(50, 5));
    QTest::mouseRelease(&Emul, Qt::LeftButton, {}, Emul.Cell(50, 5));
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].first, "sysop@bbs.example.org");
    EXPECT_EQ(opened[0].second, 2);
    EXPECT_FALSE(Emul.SelectionShown); // a link click selects nothing
    // The screen scrolls up in place: the links move with their lines.
    const int line = Emul.Hyperlinks()[0].Line;
    Emul.Interpreter().ScrollScreenUp();
    EXPECT_EQ(Emul.Hyperlinks()[0].Line, line - 1);
    Emul.Render();
    ASSERT_EQ(Emul.Hyperlinks().size(), 2u);
    EXPECT_EQ(Emul.Hyperlinks()[0].Line, line - 1);
    // Detection off: nothing is found at the next render.
    Emul.Hyperlink = false;
    Emul.Render();
    EXPECT_TRUE(Emul.Hyperlinks().empty());
}

TEST_F(ScreenMouse, ALinkScrolledOffTheTopIsNeitherDrawnNorHit) {
    // The first shown line has no history above it: scrolling up in place
    // moves its link above line 0 until the next render finds the links again.
    Emul.ClearHistory();
    Emul.GotoXY(0, 0);
    Emul.WriteStr("www.example.org");
    Emul.Render();
    ASSERT_EQ(Emul.TopRow(), 0);
    ASSERT_FALSE(Emul.Hyperlinks().empty());
    ASSERT_EQ(Emul.Hyperlinks()[0].Line, 0);
    Emul.Interpreter().ScrollScreenUp();
    Emul.repaint(); // paints before the queued render
    QTest::mouseMove(&Emul, Emul.Cell(2, 0));
    EXPECT_EQ(Emul.HoverLinkText, "");
    Emul.Render();
}

TEST_F(ScreenMouse, ScreenAndHistoryExportByteForByte) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    Emul.SaveScreenToFile(dir.filePath("first.txt").toStdString());
    std::string want = "0123456789\r\nabcdefghij\r\nABCDEFGHIJ\r\n";
    for (int r = 3; r < Emul.Rows(); ++r)
        want += "\r\n";
    EXPECT_EQ(ReadFile(dir.filePath("first.txt")), want);

    for (int i = 0; i < 40; ++i)
        Emul.WriteStr("\r\nline " + std::to_string(i) + " \xA4\xA4   ");
    Emul.SaveScreenToFile(dir.filePath("screen.txt").toStdString());
    std::string screen = ReadFile(dir.filePath("screen.txt"));
    std::string last = "line 39 \xA4\xA4\r\n";
    EXPECT_EQ(screen.substr(screen.size() - last.size()), last);
    EXPECT_EQ(std::count(screen.begin(), screen.end(), '\n'), Emul.Rows());

    // Scrolled back: the saved history ends at the bottom of what is shown,
    // the copied one at the bottom of the screen.
    Emul.SetViewRow(Emul.TopRow() - 10);
    Emul.SaveBufferToFile(dir.filePath("buffer.txt").toStdString());
    std::string buffer = ReadFile(dir.filePath("buffer.txt"));
    EXPECT_EQ(std::count(buffer.begin(), buffer.end(), '\n'), Emul.ViewRow() + Emul.Rows());
    Emul.CopyBuffer();
    EXPECT_EQ(Clip().count(QLatin1Char('\n')) + 1, Emul.TopRow() + Emul.Rows());
    EXPECT_TRUE(Clip().endsWith(QStringLiteral("line 39 中")));
    EXPECT_THROW(Emul.SaveScreenToFile(dir.filePath("no/such/dir/x.txt").toStdString()),
                 win::EFileError);
}

TEST_F(ScreenMouse, PrintedHistoryHasAsManyPagesAsItsLinesNeed) {
    for (int i = 0; i < 300; ++i)
        Emul.WriteStr("\r\nrow " + std::to_string(i));
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    auto pdf = [&](const QString& name) {
        auto p = std::make_unique<QPrinter>(QPrinter::HighResolution);
        p->setOutputFormat(QPrinter::PdfFormat);
        p->setPageSize(QPageSize(QPageSize::A4));
        p->setOutputFileName(dir.filePath(name));
        return p;
    };
    auto pagesIn = [&](const QString& name) {
        QFile f(dir.filePath(name));
        f.open(QIODevice::ReadOnly);
        static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?![s\\w])"));
        return static_cast<int>(QString::fromLatin1(f.readAll()).count(page));
    };
    Emul.SetPrinterFont(QFont(QStringLiteral("Monospace"), 10));
    auto printer = pdf(QStringLiteral("screen.pdf"));
    EXPECT_EQ(Emul.PrintScreen(*printer), 1);
    EXPECT_EQ(pagesIn(QStringLiteral("screen.pdf")), 1);

    printer = pdf(QStringLiteral("buffer.pdf"));
    QFontMetrics fm(Emul.PrinterFont(), printer.get());
    const int perPage =
        printer->pageLayout().paintRectPixels(printer->resolution()).height() / fm.lineSpacing();
    const int lines = 1 + Emul.TopRow() + Emul.Rows(); // title and every row
    const int want = (lines + perPage - 1) / perPage;
    ASSERT_GT(want, 1);
    EXPECT_EQ(Emul.PrintBuffer(*printer), want);
    EXPECT_EQ(pagesIn(QStringLiteral("buffer.pdf")), want);
}

TEST(ScreenLinks, UnderlineAndFrameStayInsideTheTextArea) {
    TRecordingEmul emul;
    emul.resize(emul.CellWidth() * 80 + 40, emul.CellHeight() * 24 + 40); // margins all round
    ASSERT_TRUE(ShowActive(emul));
    emul.Render();
    ASSERT_GT(emul.MarginX(), 0);
    ASSERT_GT(emul.MarginY(), 0);
    emul.GotoXY(0, 0);
    emul.WriteStr("www.example.org");
    emul.GotoXY(55, 23);
    emul.WriteStr("ftp://files.example.org/x");
    emul.Render();
    ASSERT_EQ(emul.Hyperlinks().size(), 2u);
    const QRect area(emul.MarginX(), emul.MarginY(), emul.TextAreaWidth(), emul.TextAreaHeight());
    auto outsideIsBlack = [&](const QImage& img) {
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                if (!area.contains(x, y) && (img.pixel(x, y) & 0xFFFFFF) != 0) return false;
        return true;
    };
    for (QPoint cell : {QPoint(3, 0), QPoint(75, 23), QPoint(1, 12)}) {
        QTest::mouseMove(&emul, emul.Cell(cell.x(), cell.y()));
        EXPECT_TRUE(outsideIsBlack(emul.grab().toImage())) << cell.x();
    }
    EXPECT_EQ(emul.HoverLinkText, "");
    QTest::mouseMove(&emul, emul.Cell(75, 23));
    EXPECT_EQ(emul.HoverLinkText, "ftp://files.example.org/x");
    EXPECT_EQ(emul.HoverLinkKind, 1);
}
