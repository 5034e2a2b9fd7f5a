// Finding a text in a session's rows (scroll-back and screen together):
// the search state that survives between steps, the two scans and the step
// that moves the view and selects a hit.
//
// Comparison is by bytes, Big5-aware: a hit starts only on a character's
// first byte (pairs counted from column 0 of the row), and only single-byte
// characters fold to upper case when case is ignored, so a letter that is
// the second byte of a Chinese character is neither found nor folded.
#pragma once
#include "platform/core/Big5.h"
#include "platform/core/IniFile.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace findtext {

// What a search reads and changes of a session. Row indexes are list
// indexes (0 = oldest scroll-back row); selections are in screen rows.
class TFindRows {
public:
    virtual ~TFindRows() = default;

    virtual int Columns() const = 0;
    virtual int Rows() const = 0;
    virtual int TopRow() const = 0;
    virtual int ViewRow() const = 0;
    // Number of rows in the list (TopRow + Rows when the screen is full).
    virtual int RowCount() const = 0;
    // The 80 character bytes of list row y (0 <= y < RowCount()).
    virtual void ReadRow(int y, unsigned char* bytes) const = 0;
    // How many rows have been dropped from the front of the list since the
    // session began (history trimmed or cleared). Never decreases.
    virtual std::uint64_t DroppedRows() const { return 0; }
    // Called around a scan: the adapter holds the session's render guard.
    virtual void BeginRead() {}
    virtual void EndRead() {}

    virtual bool HasSelection() const = 0;
    virtual int SelLeft() const = 0;
    virtual int SelTop() const = 0;
    virtual int SelRight() const = 0;
    virtual void SetViewRow(int row) = 0;
    virtual void SetSelection(int left, int top, int right, int bottom) = 0;
    virtual void ClearSelection() = 0;
};

enum : int { DirUp = 0, DirDown = 1, DirFailed = -1 };

// True when the text matches at column x of the 80-byte row. parts is the
// row's Big5 pairing; pattern is already upper-cased when !caseSensitive.
bool MatchAt(const unsigned char* row, const win::TBig5Part* parts, int x, std::string_view pattern,
             bool caseSensitive);

// The text as compared: single-byte ASCII letters upper-cased unless case
// counts, bytes of two-byte characters untouched.
std::string FoldPattern(std::string_view text, bool caseSensitive);

class TFindState {
public:
    int LastDirection = DirDown;
    int FindX = 0;
    int FindY = 0;

    // Starts over: selection cleared; down from the first row, or up from
    // past the last one.
    void Reset(TFindRows& rows, int direction, int textLength);

    // One search step in the given direction. True on a hit, which is then
    // selected and scrolled into view.
    bool Step(TFindRows& rows, std::string_view text, int direction, bool caseSensitive);

    // The scans; x and y are in-out (the next start after a hit).
    static bool FindForward(TFindRows& rows, int& x, int& y, std::string_view text,
                            bool caseSensitive);
    static bool FindBackward(TFindRows& rows, int& x, int& y, std::string_view text,
                             bool caseSensitive);

private:
    void FollowDroppedRows(TFindRows& rows);
    void Remember(TFindRows& rows);

    std::uint64_t FDropMark = 0;
    // The selection this search made last, and the view row then: when the
    // selection still reads the same but the rows moved under it, the search
    // continues from its own position instead of the stale selection.
    bool FOwnSelection = false;
    int FSelLeft = 0, FSelTop = 0, FSelRight = 0, FSelView = 0;
    std::uint64_t FSelDrops = 0;
};

// Section [Find] of the settings file.
struct TFindSettings {
    std::string Str;         // "Str", Big5
    int Direction = DirDown; // "Direction": 0 up, 1 down (anything else reads as down)
    bool CaseSensitive = false;
    int Left = 0, Top = 0; // "Left", "Top"
    bool HasPlace = false; // both keys were present and numeric

    void Load(const win::TIniText& ini);
    void Save(win::TIniText& ini) const;
};

// The per-run drop-down history: the text moves to the front.
void MoveToFront(std::vector<std::string>& items, const std::string& text);

} // namespace findtext
