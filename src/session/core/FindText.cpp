#include "session/core/FindText.h"

#include "platform/core/Big5.h"
#include "screen/core/Row.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>

namespace findtext {

namespace {

unsigned char Fold(unsigned char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c & 0xDF) : c;
}

// One row read and paired, under the caller's guard.
struct TRowText {
    unsigned char Bytes[RowCells];
    win::TBig5Part Parts[RowCells];
    void Load(const TFindRows& rows, int y) {
        rows.ReadRow(y, Bytes);
        win::PairBig5Row(Bytes, RowCells, Parts);
    }
};

class TReadLock {
public:
    explicit TReadLock(TFindRows& r) : FRows(r) { FRows.BeginRead(); }
    ~TReadLock() { FRows.EndRead(); }
    TReadLock(const TReadLock&) = delete;
    TReadLock& operator=(const TReadLock&) = delete;

private:
    TFindRows& FRows;
};

int LastRow(const TFindRows& rows) {
    return std::min(rows.TopRow() + rows.Rows(), rows.RowCount()) - 1;
}

} // namespace

std::string FoldPattern(std::string_view text, bool caseSensitive) {
    std::string out(text);
    if (caseSensitive) return out;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const auto b = static_cast<unsigned char>(out[i]);
        if (win::IsBig5Lead(b) && i + 1 < out.size()) {
            ++i; // the second byte of a pair stays as it is
            continue;
        }
        out[i] = static_cast<char>(Fold(b));
    }
    return out;
}

bool MatchAt(const unsigned char* row, const win::TBig5Part* p, int x, std::string_view pattern,
             bool caseSensitive) {
    const int len = static_cast<int>(pattern.size());
    if (len == 0 || x < 0 || x + len > RowCells) return false;
    if (p[x] == win::TBig5Part::Trail) return false;
    for (int i = 0; i < len; ++i) {
        unsigned char c = row[x + i];
        if (!caseSensitive && p[x + i] == win::TBig5Part::Single) c = Fold(c);
        if (c != static_cast<unsigned char>(pattern[i])) return false;
    }
    return true;
}

bool TFindState::FindForward(TFindRows& rows, int& x, int& y, std::string_view text,
                             bool caseSensitive) {
    const std::string pattern = FoldPattern(text, caseSensitive);
    const int len = static_cast<int>(pattern.size());
    const int columns = rows.Columns();
    if (len == 0) return false;
    if (columns <= x) {
        x = 0;
        ++y;
    }
    x = std::max(x, 0);
    y = std::max(y, 0);
    bool found = false;
    {
        TReadLock lock(rows);
        const int last = LastRow(rows);
        TRowText row;
        for (; y <= last && !found; ++y) {
            row.Load(rows, y);
            for (; x <= columns - len; ++x)
                if (MatchAt(row.Bytes, row.Parts, x, pattern, caseSensitive)) {
                    found = true;
                    break;
                }
            if (found) break;
            x = 0;
        }
    }
    if (!found) return false;
    const int r = y - rows.ViewRow();
    int screenRow = r;
    if (r < 0 || r >= rows.Rows()) {
        if (rows.TopRow() >= y) {
            rows.SetViewRow(y);
            screenRow = 0;
        } else {
            rows.SetViewRow(rows.TopRow());
            screenRow = y - rows.TopRow();
        }
    }
    rows.SetSelection(x, screenRow, x + len - 1, screenRow);
    x += len;
    return true;
}

bool TFindState::FindBackward(TFindRows& rows, int& x, int& y, std::string_view text,
                              bool caseSensitive) {
    const std::string pattern = FoldPattern(text, caseSensitive);
    const int len = static_cast<int>(pattern.size());
    if (len == 0) return false;
    if (x < 0) {
        x = rows.Columns() - len;
        --y;
    }
    if (y < 0) return false;
    bool found = false;
    {
        TReadLock lock(rows);
        y = std::min(y, LastRow(rows));
        TRowText row;
        for (; y >= 0 && !found;) {
            row.Load(rows, y);
            for (x = std::min(x, RowCells - len); x >= 0; --x)
                if (MatchAt(row.Bytes, row.Parts, x, pattern, caseSensitive)) {
                    found = true;
                    break;
                }
            if (found) break;
            // Every earlier row is scanned from the full row width.
            x = RowCells - len;
            --y;
        }
    }
    if (!found) return false;
    const int r = y - rows.ViewRow();
    int screenRow = r;
    if (r < 0 || r > rows.Rows() - 1) {
        if (rows.Rows() - 1 > y) {
            rows.SetViewRow(0);
            screenRow = y;
        } else {
            rows.SetViewRow(y - rows.Rows() + 1);
            screenRow = rows.Rows() - 1;
        }
    }
    rows.SetSelection(x, screenRow, x + len - 1, screenRow);
    x -= len;
    return true;
}

void TFindState::FollowDroppedRows(TFindRows& rows) {
    const std::uint64_t now = rows.DroppedRows();
    if (now < FDropMark) FDropMark = now; // a new session: nothing to follow
    const std::uint64_t dropped = now - FDropMark;
    FDropMark = now;
    if (dropped == 0) return;
    if (FindY >= 0 && static_cast<std::uint64_t>(FindY) >= dropped) {
        FindY -= static_cast<int>(dropped);
    } else {
        // The row itself is gone: carry on from the oldest row left.
        FindY = 0;
        if (FindX < 0 || LastDirection != DirUp) FindX = 0;
    }
}

void TFindState::Remember(TFindRows& rows) {
    FDropMark = rows.DroppedRows();
    FOwnSelection = rows.HasSelection();
    if (!FOwnSelection) return;
    FSelLeft = rows.SelLeft();
    FSelTop = rows.SelTop();
    FSelRight = rows.SelRight();
    FSelView = rows.ViewRow();
    FSelDrops = FDropMark;
}

void TFindState::Reset(TFindRows& rows, int direction, int textLength) {
    LastDirection = direction;
    rows.ClearSelection();
    if (direction == DirDown) {
        FindX = 0;
        FindY = 0;
    } else {
        FindX = rows.Columns() - textLength;
        FindY = rows.TopRow() + rows.Rows();
    }
    FOwnSelection = false;
    FDropMark = rows.DroppedRows();
}

bool TFindState::Step(TFindRows& rows, std::string_view text, int direction, bool caseSensitive) {
    const int len = static_cast<int>(text.size());
    FollowDroppedRows(rows);
    const int last = rows.TopRow() + rows.Rows() - 1;
    if (FindY > last) FindY = last;

    if (rows.HasSelection()) {
        // The selection this search left behind, with the rows moved under
        // it since: the remembered position is the true one.
        const bool stale = FOwnSelection && rows.SelLeft() == FSelLeft &&
                           rows.SelTop() == FSelTop && rows.SelRight() == FSelRight &&
                           (rows.ViewRow() != FSelView || rows.DroppedRows() != FSelDrops);
        if (!stale) {
            LastDirection = direction;
            if (direction == DirDown)
                FindX = rows.SelLeft() + std::abs(rows.SelRight() - rows.SelLeft()) + 1;
            else
                FindX = rows.SelLeft() - 1;
            FindY = rows.SelTop() + rows.ViewRow();
        }
    }

    bool found;
    if (direction == DirUp) {
        if (LastDirection == DirDown) FindX -= len + 1;
        found = FindBackward(rows, FindX, FindY, text, caseSensitive);
    } else {
        if (LastDirection == DirUp) FindX += len + 1;
        FindX = std::max(FindX, 0);
        FindY = std::max(FindY, 0);
        found = FindForward(rows, FindX, FindY, text, caseSensitive);
    }
    LastDirection = found ? direction : DirFailed;
    Remember(rows);
    if (!found) FOwnSelection = false;
    return found;
}

namespace {

bool ReadInt(const win::TIniText& ini, const char* key, int& out) {
    std::string v;
    if (!ini.Find("Find", key, &v)) return false;
    char* end = nullptr;
    errno = 0;
    const long n = std::strtol(v.c_str(), &end, 10);
    if (end == v.c_str() || *end != '\0' || errno != 0 || n < INT32_MIN / 2 || n > INT32_MAX / 2)
        return false;
    out = static_cast<int>(n);
    return true;
}

} // namespace

void TFindSettings::Load(const win::TIniText& ini) {
    *this = TFindSettings{};
    ini.Find("Find", "Str", &Str);
    int dir = DirDown;
    if (ReadInt(ini, "Direction", dir) && (dir == DirUp || dir == DirDown)) Direction = dir;
    int cs = 0;
    CaseSensitive = ReadInt(ini, "CaseSensitive", cs) && cs != 0;
    int left = 0, top = 0;
    HasPlace = ReadInt(ini, "Left", left) && ReadInt(ini, "Top", top);
    if (HasPlace) Left = left, Top = top;
}

void TFindSettings::Save(win::TIniText& ini) const {
    ini.Set("Find", "Str", Str);
    ini.Set("Find", "Direction", std::to_string(Direction));
    ini.Set("Find", "CaseSensitive", CaseSensitive ? "1" : "0");
    ini.Set("Find", "Left", std::to_string(Left));
    ini.Set("Find", "Top", std::to_string(Top));
}

void MoveToFront(std::vector<std::string>& items, const std::string& text) {
    const auto it = std::find(items.begin(), items.end(), text);
    if (it == items.begin() && it != items.end()) return;
    if (it != items.end()) items.erase(it);
    items.insert(items.begin(), text);
}

} // namespace findtext
