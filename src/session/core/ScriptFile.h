// Reading script files: plain text that opens several sessions at once.
//
// Each line is classified by its first character only (blanks before it
// are not skipped):
//   "#"  block head: "#name host port keyword", missing trailing words take
//        their defaults (no host, port "23", no keyword)
//   "%"  directive "DEFAULT" or "POSITION x y" (the word in any case); any
//        other word makes it a login line
//   "`"  comment
//   else a login line (empty lines included)
// Words are separated by blanks (character 32) only; a tab belongs to a
// word. Lines end at CR LF, LF or a lone CR. A block's login text is its
// login lines joined by "^M". Lines before the first head are discarded.
#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace win {
class TIniText;
}

namespace session {

// Window position coordinate meaning "not given".
constexpr int kScriptNoPosition = -9317;

// Splits the file's bytes into lines at CR LF, LF or a lone CR; a final
// line without an end is kept, an end at the very end adds no empty line.
std::vector<std::string> ScriptFileLines(std::string_view bytes);

// From pos (0-based) skips blanks, returns the characters up to the next
// blank or the end of the line (empty when none) and leaves pos after them.
std::string NextWord(std::string_view line, std::size_t& pos);

// What the connect of one block gets.
struct TScriptBlock {
    std::string Name; // shown in the host box
    std::string Host; // empty = connect the name as typed
    std::string Port = "23";
    std::string KeyWord; // trigger string; empty = none
    int Trigger = 0;     // 1 when a keyword was named
    int Left = kScriptNoPosition;
    int Top = kScriptNoPosition;
    bool ApplyDefault = false; // "%DEFAULT"
    bool LoginGiven = false;   // the block has login lines
    std::string Login;         // login lines joined by "^M"
    bool operator==(const TScriptBlock&) const = default;
};

// Reads a script line by line. A head line closes the block before it;
// Finish closes the last one.
class TScriptReader {
public:
    // Returns the block this line closes, if any.
    std::optional<TScriptBlock> Line(std::string_view line);
    // The last block, if one is open.
    std::optional<TScriptBlock> Finish();

private:
    void AddLogin(std::string_view line);
    TScriptBlock FBlock;
    bool FOpen = false;
};

// One run of a script opens at most this many sessions (each holds a screen
// with its scroll-back), so no file can take all memory; the blocks after
// the limit are not run.
constexpr int kScriptMaxSessions = 50;
// What the run says when it stops there (UTF-8).
std::string ScriptSessionLimitMessage(int limit);

// Every block of a whole file, in order.
std::vector<TScriptBlock> ReadScriptBlocks(std::string_view bytes);

// The script history: [Script] "s0".."s29" of the settings file, most
// recent first; missing keys and "*" entries are skipped.
constexpr int kScriptHistoryMax = 30;
std::vector<std::string> ReadScriptHistory(const win::TIniText& ini);
// Replaces the whole [Script] section by the list (at most 30 entries), so
// the caller writes the file once.
void StoreScriptHistory(win::TIniText& ini, const std::vector<std::string>& history);
// The file name moves to the front; entries beyond the 30th go.
void AddScriptHistory(std::vector<std::string>& history, const std::string& fileName);

} // namespace session
