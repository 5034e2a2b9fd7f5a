#include "screen/core/LinkScanner.h"

#include "screen/core/Big5Cells.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <string_view>

namespace screen {
namespace {

constexpr std::string_view Prefixes[] = {"http://", "www.", "ftp://"};

bool IsAsciiAlnum(std::uint8_t b) {
    return (b >= '0' && b <= '9') || (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z');
}
bool IsLocalPartByte(std::uint8_t b) {
    return IsAsciiAlnum(b) || b == '_' || b == '-' || b == '.';
}

class TScanner {
public:
    TScanner(int columns) : Columns(columns) {}

    void Row(const TRow& row, int line) {
        int col = 0;
        while (col < Columns) {
            std::uint8_t b = row.Cells[col].Char;
            bool twoCell = IsLeadByte(b) && col + 1 < Columns;
            if (twoCell) {
                // A two-cell character ends whatever is being matched and
                // never starts anything, its second byte included.
                End();
                col += 2;
                continue;
            }
            Byte(row, line, col, b);
            ++col;
        }
    }

    void End() {
        if (State == TState::Url)
            Record(PrefixIndex == 2 ? LinkFtp : LinkWeb);
        else if (State == TState::Domain && DomainDot)
            Record(LinkEmail);
        State = TState::Idle;
    }

    std::vector<THyperlinkInfo> Links;

private:
    enum class TState { Idle, Prefix, Url, Domain };

    void Byte(const TRow& row, int line, int col, std::uint8_t b) {
        switch (State) {
        case TState::Prefix: {
            std::string_view p = Prefixes[PrefixIndex];
            if (b == static_cast<std::uint8_t>(p[Text.size()])) {
                Text.push_back(static_cast<char>(b));
                if (Text.size() == p.size()) State = TState::Url;
                return;
            }
            State = TState::Idle;
            break; // look at the byte again from idle
        }
        case TState::Url:
            if (b >= 33 && b <= 126 && b != '(' && b != ')') {
                Text.push_back(static_cast<char>(b));
                return;
            }
            End();
            break;
        case TState::Domain:
            if (IsAsciiAlnum(b) || b == '_' || b == '.') {
                if (b == '.') DomainDot = true;
                Text.push_back(static_cast<char>(b));
                return;
            }
            End();
            break;
        case TState::Idle:
            break;
        }
        Idle(row, line, col, b);
    }

    void Idle(const TRow& row, int line, int col, std::uint8_t b) {
        for (int i = 0; i < 3; ++i) {
            if (b == static_cast<std::uint8_t>(Prefixes[i][0])) {
                State = TState::Prefix;
                PrefixIndex = i;
                Start(col, line);
                Text.push_back(static_cast<char>(b));
                return;
            }
        }
        if (b != '@') return;
        int first = col;
        while (first > 0 && IsLocalPartByte(row.Cells[first - 1].Char))
            --first;
        // The leftmost byte may be the second half of a two-cell character
        // whose trail byte happens to be a letter.
        if (first < col && CellPartAt(row, Columns, first) == TCellPart::Trail) ++first;
        if (col - first < 3) return;
        State = TState::Domain;
        DomainDot = false;
        Start(first, line);
        for (int c = first; c <= col; ++c)
            Text.push_back(static_cast<char>(row.Cells[c].Char));
    }

    void Start(int col, int line) {
        StartCol = col;
        StartLine = line;
        Text.clear();
    }

    void Record(int kind) {
        if (!TrimLinkText(Text, kind)) return;
        Links.push_back(THyperlinkInfo{StartCol, StartLine, Text, kind});
    }

    int Columns;
    TState State = TState::Idle;
    int PrefixIndex = 0;
    bool DomainDot = false;
    int StartCol = 0, StartLine = 0;
    std::string Text;
};

} // namespace

bool TrimLinkText(std::string& text, int kind) {
    while (!text.empty() && (text.back() == '.' || text.back() == ',' || text.back() == ';'))
        text.pop_back();
    if (kind == LinkEmail) {
        auto at = text.find('@');
        return at != std::string::npos && text.find('.', at) != std::string::npos;
    }
    for (auto p : Prefixes)
        if (text.starts_with(p)) return text.size() > p.size();
    return false;
}

std::vector<THyperlinkInfo> ScanLinks(std::span<const TRow* const> rows, int firstLine,
                                      int columns) {
    columns = std::clamp(columns, 1, RowCells);
    TScanner s(columns);
    int line = firstLine;
    for (const TRow* row : rows) {
        if (row)
            s.Row(*row, line);
        else
            s.End();
        ++line;
    }
    s.End();
    return std::move(s.Links);
}

bool LinkCovers(const THyperlinkInfo& link, int col, int line, int columns) {
    if (columns <= 0 || line < link.Line) return false;
    long first = static_cast<long>(link.Line) * columns + link.Col;
    long cell = static_cast<long>(line) * columns + col;
    if (col < 0 || col >= columns) return false;
    return cell >= first && cell < first + static_cast<long>(link.Text.size());
}

} // namespace screen
