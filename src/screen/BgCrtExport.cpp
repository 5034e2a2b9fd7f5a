// Text out of the screen control: the clipboard, text files and printouts.
#include "screen/BgCrt.h"

#include "platform/core/Files.h"
#include "screen/ScreenExport.h"
#include "screen/core/TextExport.h"

#include <QGuiApplication>
#include <QPrinter>

#include <mutex>

namespace {

std::vector<std::string> Lines(TBgCrt& crt, int from, int to) {
    std::lock_guard<TRenderGuard> g(crt.Screen().Rendering);
    return screen::RowLines(crt.BufferRows(from, to), crt.Columns());
}

} // namespace

void TBgCrt::CopyScreen() {
    screen::CopyBig5ToClipboard(screen::JoinLines(Lines(*this, ViewRow(), ViewRow() + Rows() - 1)));
}

void TBgCrt::CopyBuffer() {
    // Always down to the bottom of the screen, wherever the view is.
    screen::CopyBig5ToClipboard(screen::JoinLines(Lines(*this, 0, TopRow() + Rows() - 1)));
}

void TBgCrt::CopySelection() {
    if (!SelectionShown) return;
    std::vector<std::string> lines;
    {
        std::lock_guard<TRenderGuard> g(Screen().Rendering);
        lines = screen::SelectionLines(BufferRows(ViewRow(), ViewRow() + Rows() - 1), Columns(),
                                       Selection());
    }
    screen::CopyBig5ToClipboard(screen::JoinLines(lines));
}

void TBgCrt::SaveScreenToFile(const std::string& fileName) {
    win::WriteFileAtomic(fileName,
                         screen::FileText(Lines(*this, ViewRow(), ViewRow() + Rows() - 1)));
}

void TBgCrt::SaveBufferToFile(const std::string& fileName) {
    // From the start of the history down to the bottom of what is shown.
    win::WriteFileAtomic(fileName, screen::FileText(Lines(*this, 0, ViewRow() + Rows() - 1)));
}

int TBgCrt::PrintRows(QPrinter& printer, int from, int to, const QString& what) {
    const QString title = QGuiApplication::applicationDisplayName() + what;
    return screen::PrintTextLines(printer, FPrinterFont, title, Lines(*this, from, to));
}

int TBgCrt::PrintScreen(QPrinter& printer) {
    return PrintRows(printer, ViewRow(), ViewRow() + Rows() - 1, QStringLiteral(" - 列印螢幕"));
}

int TBgCrt::PrintBuffer(QPrinter& printer) {
    return PrintRows(printer, 0, TopRow() + Rows() - 1, QStringLiteral(" - 列印緩衝區"));
}

bool TBgCrt::PrintScreen() {
    QPrinter printer(QPrinter::HighResolution);
    return printer.isValid() && PrintScreen(printer) > 0;
}

bool TBgCrt::PrintBuffer() {
    QPrinter printer(QPrinter::HighResolution);
    return printer.isValid() && PrintBuffer(printer) > 0;
}
