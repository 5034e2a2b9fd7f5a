#include "screen/core/ScreenDump.h"

namespace {

constexpr char Hex[] = "0123456789ABCDEF";

void DumpRow(std::string& out, const char* label, int index, const TRow& row) {
    const std::string n = std::to_string(index);
    out += label;
    out += ' ';
    out += n;
    out += " |";
    for (const TCell& c : row.Cells) {
        const std::uint8_t b = c.Char;
        if (b == '\\' || b == '|') {
            out += '\\';
            out += static_cast<char>(b);
        } else if (b >= 0x20 && b <= 0x7E) {
            out += static_cast<char>(b);
        } else {
            out += "\\x";
            out += Hex[b >> 4];
            out += Hex[b & 15];
        }
    }
    out += "|\nfg " + n + ' ';
    for (const TCell& c : row.Cells)
        out += Hex[c.Fg & 15];
    out += "\nbg " + n + ' ';
    for (const TCell& c : row.Cells)
        out += Hex[c.Bg & 15];
    out += "\nfl " + n + ' ';
    for (const TCell& c : row.Cells)
        out += static_cast<char>('0' + (c.Blink ? 1 : 0) + (c.Underline ? 2 : 0));
    out += '\n';
}

} // namespace

std::string DumpScreen(const TScreenBuffer& s, bool history) {
    std::string out = "screen " + std::to_string(s.Columns()) + 'x' + std::to_string(s.Rows()) +
                      " cursor " + std::to_string(s.CursorX) + ',' + std::to_string(s.CursorY) +
                      " top " + std::to_string(s.TopRow()) + " count " +
                      std::to_string(s.RowCount()) + '\n';
    if (history)
        for (int i = 0; i < s.TopRow(); ++i)
            DumpRow(out, "hist", i, s.Row(i));
    for (int i = 0; i < s.Rows() && s.TopRow() + i < s.RowCount(); ++i)
        DumpRow(out, "row", i, s.ScreenRow(i));
    return out;
}
