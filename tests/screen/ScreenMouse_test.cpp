// The screen under the mouse: selections, words and links, and what the
// selection and the history give out. Copying, saving, printing and
// clearing the history are the owning window's commands (its menu items
// call the screen's functions; the window tests choose them with the
// mouse): here those calls read out what the mouse selected, or change the
// rows under it.
#include "ScreenWidgets.h"

#include "platform/core/Files.h"

#include <QClipboard>
#include <QFile>
#include <QPrinter>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {
void Drag(TRecordingEmul& e, QPoint from, QPoint to, Qt::KeyboardModifiers m = {}) {
    QTest::mousePress(&e, Qt::LeftButton, m, e.Cell(from.x(), from.y()));
    QTest::mouseMove(&e, e.Cell((from.x() + to.x()) / 2, (from.y() + to.y()) / 2));
    QTest::mouseMove(&e, e.Cell(to.x(), to.y()));
    QTest::mouseRelease(&e, Qt::LeftButton, m, e.Cell(to.x(), to.y()));
}

// Scrolls the view back `rows` lines with Ctrl+Up, as a user does.
void ScrollBack(TRecordingEmul& e, int rows) {
    for (int i = 0; i < rows; ++i)
        QTest::keyClick(&e, Qt::Key_Up, Qt::ControlModifier);
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
    ScrollBack(Emul, 10);
    ASSERT_EQ(Emul.ViewRow(), Emul.TopRow() - 10);
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

// ---- Links, hover and selection when the history loses rows ------------------------

namespace {
// Line feeds from the middle of the screen add history rows without moving
// the screen's text, until the history is trimmed once.
void GrowHistoryUntilTrimmed(TRecordingEmul& e) {
    const std::uint64_t before = e.Screen().DroppedRows();
    while (e.Screen().DroppedRows() == before) {
        e.GotoXY(0, 20);
        e.WriteStr("\n");
    }
}
// Every recorded link starts on its own text.
bool LinksOnTheirText(const TRecordingEmul& e) {
    for (const THyperlinkInfo& l : e.Hyperlinks()) {
        if (l.Line < 0 || l.Line >= e.Screen().RowCount()) return false;
        if (e.Screen().Row(l.Line).Cells[l.Col].Char != static_cast<std::uint8_t>(l.Text[0]))
            return false;
    }
    return true;
}
} // namespace

TEST_F(ScreenMouse, ATrimUnderTheScreenKeepsLinksHoverAndSelectionOnTheirText) {
    Emul.SetMaxBufferRows(25);
    Emul.GotoXY(0, 5);
    Emul.WriteStr("go to www.example.org now");
    Emul.Render();
    ASSERT_EQ(Emul.Hyperlinks().size(), 1u);
    Drag(Emul, {2, 1}, {6, 1});
    ASSERT_TRUE(Emul.SelectionShown);
    QTest::mouseMove(&Emul, Emul.Cell(10, 5));
    ASSERT_EQ(Emul.HoverLinkText, "www.example.org");

    GrowHistoryUntilTrimmed(Emul);
    // Before any render finds the links again they already point at their
    // rows: the one under the mouse is still the one hovered.
    ASSERT_EQ(Emul.Hyperlinks().size(), 1u);
    EXPECT_TRUE(LinksOnTheirText(Emul));
    EXPECT_EQ(Emul.Hyperlinks()[0].Line - Emul.ViewRow(), 5);
    EXPECT_EQ(Emul.HoverLinkText, "www.example.org");
    EXPECT_EQ(Emul.HoverLinkLine, Emul.Hyperlinks()[0].Line);
    // The view showed the screen and still does: the selection stands.
    EXPECT_TRUE(Emul.SelectionShown);
    Emul.CopySelection();
    EXPECT_EQ(Clip(), QStringLiteral("cdefg"));

    std::vector<std::string> opened;
    Emul.OnHyperlink = [&](TBgCrt*, const std::string& s, int) { opened.push_back(s); };
    QTest::mouseClick(&Emul, Qt::LeftButton, {}, Emul.Cell(10, 5));
    EXPECT_EQ(opened, std::vector<std::string>{"www.example.org"});
}

TEST_F(ScreenMouse, ATrimOfTheRowsShownWhileScrolledBackDropsSelectionHoverAndTheirLinks) {
    QScrollBar bar(Qt::Vertical); // output then leaves a scrolled-back view alone
    Emul.SetScrollBar(&bar);
    Emul.SetMaxBufferRows(25);
    // More than a page of history, not yet trimmed.
    for (int i = 0; Emul.TopRow() < 40; ++i)
        Emul.WriteStr("\r\nrow " + std::to_string(i) + " mail sysop@example.org");
    ASSERT_EQ(Emul.Screen().DroppedRows(), 0u);
    QTest::keyClick(&Emul, Qt::Key_Home, Qt::ControlModifier);
    ASSERT_EQ(Emul.ViewRow(), 0);
    Emul.Render();
    ASSERT_FALSE(Emul.Hyperlinks().empty());
    Drag(Emul, {0, 1}, {3, 2});
    ASSERT_TRUE(Emul.SelectionShown);
    const THyperlinkInfo link = Emul.Hyperlinks().back();
    ASSERT_LT(link.Line - Emul.ViewRow(), Emul.Rows());
    QTest::mouseMove(&Emul, Emul.Cell(link.Col + 1, link.Line - Emul.ViewRow()));
    ASSERT_EQ(Emul.HoverLinkText, "sysop@example.org");

    GrowHistoryUntilTrimmed(Emul);
    EXPECT_FALSE(Emul.SelectionShown);
    EXPECT_EQ(Emul.HoverLinkText, "");
    EXPECT_EQ(Emul.HoverLinkLine, -1);
    EXPECT_TRUE(LinksOnTheirText(Emul));
    // The scroll bar follows the moved view.
    QApplication::processEvents();
    EXPECT_EQ(bar.value(), Emul.ViewRow());
    EXPECT_EQ(bar.maximum(), Emul.TopRow());
}

TEST_F(ScreenMouse, ClearHistoryKeepsASelectionOnTheScreenAndDropsOneOnTheHistory) {
    for (int i = 0; i < 40; ++i)
        Emul.WriteStr("\r\nline " + std::to_string(i) + " www.example.org/" + std::to_string(i));
    Emul.Render();
    Drag(Emul, {0, 23}, {6, 23});
    Emul.CopySelection();
    const QString selected = Clip();
    ASSERT_EQ(selected, QStringLiteral("line 39"));
    Emul.ClearHistory();
    EXPECT_TRUE(Emul.SelectionShown);
    Emul.CopySelection();
    EXPECT_EQ(Clip(), selected);
    EXPECT_TRUE(LinksOnTheirText(Emul));

    for (int i = 0; i < 40; ++i)
        Emul.WriteStr("\r\nmore " + std::to_string(i) + " www.example.org/" + std::to_string(i));
    ScrollBack(Emul, 30);
    ASSERT_EQ(Emul.ViewRow(), Emul.TopRow() - 30);
    Emul.Render();
    QTest::mouseMove(&Emul, Emul.Cell(10, 0));
    ASSERT_FALSE(Emul.HoverLinkText.empty());
    // A drag is under way on the history when it is cleared: it ends, and
    // moving on selects nothing from an anchor whose row is gone.
    QTest::mousePress(&Emul, Qt::LeftButton, {}, Emul.Cell(0, 2));
    QTest::mouseMove(&Emul, Emul.Cell(4, 2));
    ASSERT_TRUE(Emul.SelectionShown);
    Emul.ClearHistory();
    EXPECT_FALSE(Emul.SelectionShown);
    EXPECT_FALSE(Emul.Selecting());
    EXPECT_EQ(Emul.HoverLinkText, "");
    EXPECT_TRUE(LinksOnTheirText(Emul));
    QTest::mouseMove(&Emul, Emul.Cell(8, 3));
    EXPECT_FALSE(Emul.SelectionShown);
    QTest::mouseRelease(&Emul, Qt::LeftButton, {}, Emul.Cell(8, 3));
    EXPECT_FALSE(Emul.SelectionShown);
}
