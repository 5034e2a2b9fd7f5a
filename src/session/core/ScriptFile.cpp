#include "session/core/ScriptFile.h"

#include <algorithm>

#include "platform/core/IniFile.h"
#include "session/core/MruList.h"

namespace session {

std::vector<std::string> ScriptFileLines(std::string_view bytes) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c != '\r' && c != '\n') continue;
        lines.emplace_back(bytes.substr(start, i - start));
        if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < bytes.size()) lines.emplace_back(bytes.substr(start));
    return lines;
}

std::string NextWord(std::string_view line, std::size_t& pos) {
    while (pos < line.size() && line[pos] == ' ')
        ++pos;
    const std::size_t begin = pos;
    while (pos < line.size() && line[pos] != ' ')
        ++pos;
    return std::string(line.substr(begin, pos - begin));
}

namespace {

std::string HistoryKey(std::size_t i) {
    std::string key = std::to_string(i);
    key.insert(key.begin(), 's');
    return key;
}

std::string UpperAscii(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

} // namespace

void TScriptReader::AddLogin(std::string_view line) {
    if (FBlock.LoginGiven) FBlock.Login += "^M";
    FBlock.Login += line;
    FBlock.LoginGiven = true;
}

std::optional<TScriptBlock> TScriptReader::Line(std::string_view line) {
    if (line.empty()) {
        AddLogin(line);
        return std::nullopt;
    }
    switch (line.front()) {
    case '#': {
        std::size_t pos = 1;
        std::string name = NextWord(line, pos);
        // A head without a name is an ordinary login line of the block.
        if (name.empty()) break;
        std::optional<TScriptBlock> closed;
        if (FOpen) closed = std::move(FBlock);
        // Every head starts from nothing: no keyword, trigger, login text,
        // position or default settings of an earlier block (or of lines
        // before the first head) carry over.
        FBlock = TScriptBlock{};
        FBlock.Name = std::move(name);
        std::string w = NextWord(line, pos);
        if (!w.empty()) {
            FBlock.Host = std::move(w);
            w = NextWord(line, pos);
            if (!w.empty()) {
                FBlock.Port = std::move(w);
                w = NextWord(line, pos);
                if (!w.empty()) {
                    FBlock.KeyWord = std::move(w);
                    FBlock.Trigger = 1;
                }
            }
        }
        FOpen = true;
        return closed;
    }
    case '%': {
        std::size_t pos = 1;
        const std::string word = UpperAscii(NextWord(line, pos));
        if (word == "DEFAULT") {
            FBlock.ApplyDefault = true;
            return std::nullopt;
        }
        if (word == "POSITION") {
            const std::string x = NextWord(line, pos);
            FBlock.Left = x.empty() ? 0 : win::StrToIntDef(x, 0);
            if (x.empty()) return std::nullopt;
            const std::string y = NextWord(line, pos);
            FBlock.Top = y.empty() ? 0 : win::StrToIntDef(y, 0);
            return std::nullopt;
        }
        break;
    }
    case '`':
        return std::nullopt;
    default:
        break;
    }
    AddLogin(line);
    return std::nullopt;
}

std::optional<TScriptBlock> TScriptReader::Finish() {
    if (!FOpen) return std::nullopt;
    FOpen = false;
    std::optional<TScriptBlock> last = std::move(FBlock);
    FBlock = TScriptBlock{};
    return last;
}

std::vector<TScriptBlock> ReadScriptBlocks(std::string_view bytes) {
    std::vector<TScriptBlock> blocks;
    TScriptReader reader;
    for (const std::string& line : ScriptFileLines(bytes))
        if (auto b = reader.Line(line)) blocks.push_back(std::move(*b));
    if (auto b = reader.Finish()) blocks.push_back(std::move(*b));
    return blocks;
}

std::vector<std::string> ReadScriptHistory(const win::TIniText& ini) {
    std::vector<std::string> history;
    for (int i = 0; i < kScriptHistoryMax; ++i) {
        std::string v;
        if (!ini.Find("Script", HistoryKey(static_cast<std::size_t>(i)), &v)) continue;
        if (v.empty() || v == "*") continue;
        history.push_back(std::move(v));
    }
    return history;
}

void StoreScriptHistory(win::TIniText& ini, const std::vector<std::string>& history) {
    ini.EraseSection("Script");
    const std::size_t n = std::min<std::size_t>(history.size(), kScriptHistoryMax);
    for (std::size_t i = 0; i < n; ++i)
        ini.Set("Script", HistoryKey(i), history[i]);
}

void AddScriptHistory(std::vector<std::string>& history, const std::string& fileName) {
    MruAdd(history, fileName, kScriptHistoryMax);
}

std::string ScriptSessionLimitMessage(int limit) {
    return "腳本一次最多開啟 " + std::to_string(limit) + " 個連線, 其餘的區塊不執行!";
}

} // namespace session
