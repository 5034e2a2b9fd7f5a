#include "platform/core/IniFile.h"

#include "platform/core/Big5.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <mutex>
#include <unordered_map>

namespace win {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

std::string_view Unquote(std::string_view s) {
    if (s.size() >= 2 && (s.front() == '"' || s.front() == '\'') && s.back() == s.front())
        return s.substr(1, s.size() - 2);
    return s;
}

unsigned char FoldAscii(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

// A name as it goes into the file: one line, no surrounding blanks.
std::string CleanName(std::string_view s) {
    std::string out(Trim(s));
    for (char& c : out)
        if (c == '\r' || c == '\n' || c == '\0') c = ' ';
    return std::string(Trim(out));
}

std::string CleanValue(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c == '\r' || c == '\n' || c == '\0') c = ' ';
    return out;
}

} // namespace

bool SameProfileName(std::string_view a, std::string_view b) {
    a = Trim(a);
    b = Trim(b);
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (IsBig5Lead(x) && i + 1 < a.size()) {
            // A pair compares byte for byte: its second byte may look like
            // an ASCII letter but is part of a different character.
            if (x != y || a[i + 1] != b[i + 1]) return false;
            ++i;
        } else if (FoldAscii(x) != FoldAscii(y)) {
            return false;
        }
    }
    return true;
}

int StrToIntDef(std::string_view text, int def) {
    text = Trim(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.size() > 1 && text.front() == '$') {
        base = 16;
        text.remove_prefix(1);
    } else if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty()) return def;
    std::uint64_t v = 0;
    for (char c : text) {
        int d = (c >= '0' && c <= '9')   ? c - '0'
                : (c >= 'a' && c <= 'f') ? c - 'a' + 10
                : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                         : 99;
        if (d >= base) return def;
        v = v * static_cast<unsigned>(base) + static_cast<unsigned>(d);
        if (v > 0xFFFFFFFFull) return def;
    }
    if (base == 16) {
        // Hex spells the 32 bits: "$FFFFFFFF" is -1, as colour values are kept.
        auto bits = static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
        return negative ? static_cast<int>(-static_cast<std::int64_t>(bits)) : bits;
    }
    if (negative) {
        if (v > static_cast<std::uint64_t>(INT_MAX) + 1) return def;
        return static_cast<int>(-static_cast<std::int64_t>(v));
    }
    if (v > static_cast<std::uint64_t>(INT_MAX)) return def;
    return static_cast<int>(v);
}

int LeadingInt(std::string_view text) {
    text = Trim(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    std::int64_t v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') break;
        if (v <= static_cast<std::int64_t>(INT_MAX) + 1) v = v * 10 + (c - '0');
    }
    if (negative) v = -v;
    if (v > INT_MAX) return INT_MAX;
    if (v < INT_MIN) return INT_MIN;
    return static_cast<int>(v);
}

// ---- TIniText ---------------------------------------------------------------

namespace {

// A name in the form two names that SameProfileName calls equal share:
// trimmed, ASCII letters in lower case, Big5 pairs as they are.
std::string FoldName(std::string_view name) {
    name = Trim(name);
    std::string out(name);
    for (std::size_t i = 0; i < out.size(); ++i) {
        auto c = static_cast<unsigned char>(out[i]);
        if (IsBig5Lead(c) && i + 1 < out.size())
            ++i;
        else
            out[i] = static_cast<char>(FoldAscii(c));
    }
    return out;
}

} // namespace

struct TIniText::TIndex {
    struct TSection {
        std::size_t Header = 0;            // the first header line of the name
        std::size_t End = 0;               // the line after that first section's block
        bool Repeated = false;             // more sections of the name follow
        std::vector<std::string> KeyNames; // each once, in file order
        std::unordered_map<std::string, std::size_t> Keys; // folded name -> first line
    };
    std::vector<std::string> SectionNames;              // each once, in file order
    std::unordered_map<std::string, TSection> Sections; // by folded name
    std::size_t Last = 0;                               // the last line the index points at
};

TIniText::TLine TIniText::ParseLine(std::string raw) {
    TLine line;
    line.Raw = std::move(raw);
    const std::string_view all(line.Raw);
    const auto at = [&](std::string_view part) {
        return static_cast<std::uint32_t>(part.data() - all.data());
    };
    std::string_view t = Trim(all);
    if (t.empty() || t.front() == ';') return line;
    if (t.front() == '[') {
        // The name ends at the last "]": a Big5 name may hold "]" as the
        // second byte of a pair.
        std::string_view body = t.substr(1);
        auto close = body.rfind(']');
        if (close != std::string_view::npos) body = body.substr(0, close);
        body = Trim(body);
        line.Kind = TKind::Section;
        line.NameAt = at(body);
        line.NameLen = static_cast<std::uint32_t>(body.size());
        return line;
    }
    // "=" (0x3D) is never the second byte of a Big5 pair.
    auto eq = t.find('=');
    if (eq == std::string_view::npos) return line;
    std::string_view name = Trim(t.substr(0, eq));
    if (name.empty()) return line;
    std::string_view value = Unquote(Trim(t.substr(eq + 1)));
    line.Kind = TKind::Key;
    line.NameAt = at(name);
    line.NameLen = static_cast<std::uint32_t>(name.size());
    line.ValueAt = value.empty() ? 0 : at(value);
    line.ValueLen = static_cast<std::uint32_t>(value.size());
    return line;
}

void TIniText::Parse(std::string_view bytes) {
    Lines.clear();
    Changed();
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            Lines.push_back(ParseLine(std::string(bytes.substr(start))));
            break;
        }
        Lines.push_back(ParseLine(std::string(bytes.substr(start, end - start))));
        start = end + 1;
        if (bytes[end] == '\r' && start < bytes.size() && bytes[start] == '\n') ++start;
    }
}

std::string TIniText::Text() const {
    std::size_t size = 0;
    for (const auto& l : Lines)
        size += l.Raw.size() + 2;
    std::string out;
    out.reserve(size);
    for (const auto& l : Lines) {
        out += l.Raw;
        out += "\r\n";
    }
    return out;
}

const TIniText::TIndex& TIniText::Index() const {
    if (FIndex) return *FIndex;
    auto idx = std::make_shared<TIndex>();
    ++FIndexBuilds;
    TIndex::TSection* cur = nullptr;
    TIndex::TSection* first = nullptr; // a first section whose end is not yet seen
    for (std::size_t i = 0; i < Lines.size(); ++i) {
        const TLine& l = Lines[i];
        if (l.Kind == TKind::Section) {
            if (first) first->End = i;
            first = nullptr;
            auto [it, fresh] = idx->Sections.try_emplace(FoldName(l.Name()));
            if (!fresh) it->second.Repeated = true;
            if (fresh) {
                it->second.Header = i;
                idx->SectionNames.emplace_back(l.Name());
                first = &it->second;
            }
            cur = &it->second;
            idx->Last = i;
        } else if (cur && l.Kind == TKind::Key) {
            if (cur->Keys.try_emplace(FoldName(l.Name()), i).second) {
                cur->KeyNames.emplace_back(l.Name());
                idx->Last = i;
            }
        }
    }
    if (first) first->End = Lines.size();
    FIndex = std::move(idx);
    return *FIndex;
}

// A line was inserted at `at` inside the first section of `folded`: every
// line number at or after it moves down by one.
void TIniText::Inserted(std::size_t at, std::string_view folded) {
    TIndex& idx = *FIndex;
    auto& into = idx.Sections.find(std::string(folded))->second;
    if (at <= idx.Last) {
        for (auto& [name, sec] : idx.Sections) {
            if (sec.Header >= at) ++sec.Header;
            if (&sec != &into && sec.End > at) ++sec.End;
            for (auto& [key, line] : sec.Keys)
                if (line >= at) ++line;
        }
        ++idx.Last;
    }
    ++into.End;
}

bool TIniText::Find(std::string_view section, std::string_view key, std::string* value) const {
    const TIndex& idx = Index();
    auto sec = idx.Sections.find(FoldName(section));
    if (sec == idx.Sections.end()) return false;
    auto k = sec->second.Keys.find(FoldName(key));
    if (k == sec->second.Keys.end()) return false;
    if (value) *value = std::string(Lines[k->second].Value());
    return true;
}

std::vector<std::string> TIniText::Sections() const {
    return Index().SectionNames;
}

std::vector<std::string> TIniText::Keys(std::string_view section) const {
    const TIndex& idx = Index();
    auto sec = idx.Sections.find(FoldName(section));
    return sec == idx.Sections.end() ? std::vector<std::string>{} : sec->second.KeyNames;
}

bool TIniText::HasSection(std::string_view section) const {
    return Index().Sections.count(FoldName(section)) != 0;
}

void TIniText::Set(std::string_view section, std::string_view key, std::string_view value) {
    std::string k = CleanName(key);
    if (k.empty() || k.find('=') != std::string::npos || k.front() == '[' || k.front() == ';')
        throw EIniFileException("invalid key name \"" + k + "\"");
    std::string v = CleanValue(value);
    std::string s = CleanName(section);

    Index();
    // Copies of a text share their index until one of them changes.
    if (FIndex.use_count() > 1) FIndex = std::make_shared<TIndex>(*FIndex);
    const std::string fs = FoldName(s);
    auto sec = FIndex->Sections.find(fs);
    if (sec != FIndex->Sections.end()) {
        auto& info = sec->second;
        const std::string fk = FoldName(k);
        auto it = info.Keys.find(fk);
        if (it != info.Keys.end()) {
            // Same name, same place: the index stays as it is.
            TLine& l = Lines[it->second];
            l = ParseLine(std::string(l.Name()) + "=" + v);
            return;
        }
        // A new key goes after the last non-blank line of the first section
        // of that name, ahead of the blank lines that separate it from the
        // next.
        std::size_t pos = info.End;
        while (pos > info.Header + 1 && Trim(Lines[pos - 1].Raw).empty())
            --pos;
        Lines.insert(Lines.begin() + static_cast<std::ptrdiff_t>(pos), ParseLine(k + "=" + v));
        if (info.Repeated) {
            // The key's place among those of the later sections of the name
            // is for a fresh index to find.
            Changed();
            return;
        }
        Inserted(pos, fs);
        info.Keys.emplace(fk, pos);
        info.KeyNames.push_back(k);
        FIndex->Last = std::max(FIndex->Last, pos);
        return;
    }
    if (!Lines.empty() && !Trim(Lines.back().Raw).empty()) Lines.push_back(ParseLine(""));
    Lines.push_back(ParseLine("[" + s + "]"));
    Lines.push_back(ParseLine(k + "=" + v));
    Changed();
}

bool TIniText::DeleteKey(std::string_view section, std::string_view key) {
    const std::string fk = FoldName(key);
    return DeleteKeys(section, [&](std::string_view name) { return FoldName(name) == fk; }) > 0;
}

std::size_t TIniText::DeleteKeys(std::string_view section,
                                 const std::function<bool(std::string_view)>& drop) {
    const std::string fs = FoldName(section);
    bool in = false;
    std::size_t removed = 0;
    std::vector<TLine> kept;
    kept.reserve(Lines.size());
    for (auto& l : Lines) {
        if (l.Kind == TKind::Section) in = FoldName(l.Name()) == fs;
        if (in && l.Kind == TKind::Key && drop(l.Name())) {
            ++removed;
            continue;
        }
        kept.push_back(std::move(l));
    }
    Lines = std::move(kept);
    if (removed) Changed();
    return removed;
}

bool TIniText::EraseSection(std::string_view section) {
    const std::string fs = FoldName(section);
    bool in = false, removed = false;
    std::vector<TLine> kept;
    kept.reserve(Lines.size());
    for (auto& l : Lines) {
        if (l.Kind == TKind::Section) in = FoldName(l.Name()) == fs;
        if (in) {
            removed = true;
            continue;
        }
        kept.push_back(std::move(l));
    }
    Lines = std::move(kept);
    if (removed) Changed();
    return removed;
}

// ---- TIniFile ---------------------------------------------------------------

TIniText TIniFile::Load() const {
    std::string bytes;
    try {
        ReadWholeFile(FFileName, bytes);
    } catch (const EFileError&) {
        // Reading never fails: an unreadable file reads as empty.
        bytes.clear();
    }
    return TIniText(bytes);
}

template <class F> void TIniFile::Update(F change) {
    // Read, change and replace is one step for the whole process, so two
    // threads writing keys of the same file never lose each other's key.
    static std::mutex updateMutex;
    std::lock_guard lock(updateMutex);
    std::string before;
    // An unreadable file throws here: rewriting it from nothing would lose
    // every key it holds.
    ReadWholeFile(FFileName, before);
    TIniText text(before);
    if (!change(text)) return;
    std::string after = text.Text();
    if (after == before) return;
    WriteFileAtomic(FFileName, after);
}

std::string TIniFile::ReadString(std::string_view section, std::string_view ident,
                                 std::string_view def) const {
    std::string value;
    if (Load().Find(section, ident, &value)) return value;
    return std::string(def);
}

int TIniFile::ReadInteger(std::string_view section, std::string_view ident, int def) const {
    std::string value;
    if (!Load().Find(section, ident, &value)) return def;
    return StrToIntDef(value, def);
}

bool TIniFile::ReadBool(std::string_view section, std::string_view ident, bool def) const {
    return ReadInteger(section, ident, def ? 1 : 0) != 0;
}

std::vector<std::string> TIniFile::ReadSection(std::string_view section) const {
    return Load().Keys(section);
}

std::vector<std::string> TIniFile::ReadSections() const {
    return Load().Sections();
}

std::vector<std::string> TIniFile::ReadSectionValues(std::string_view section) const {
    TIniText text = Load();
    std::vector<std::string> out;
    for (const auto& key : text.Keys(section)) {
        std::string value;
        text.Find(section, key, &value);
        out.push_back(key + "=" + value);
    }
    return out;
}

bool TIniFile::SectionExists(std::string_view section) const {
    return Load().HasSection(section);
}

bool TIniFile::ValueExists(std::string_view section, std::string_view ident) const {
    return Load().Find(section, ident, nullptr);
}

void TIniFile::WriteString(std::string_view section, std::string_view ident,
                           std::string_view value) {
    Update([&](TIniText& t) {
        t.Set(section, ident, value);
        return true;
    });
}

void TIniFile::WriteInteger(std::string_view section, std::string_view ident, int value) {
    WriteString(section, ident, std::to_string(value));
}

void TIniFile::WriteBool(std::string_view section, std::string_view ident, bool value) {
    WriteString(section, ident, value ? "1" : "0");
}

void TIniFile::EraseSection(std::string_view section) {
    Update([&](TIniText& t) { return t.EraseSection(section); });
}

void TIniFile::DeleteKey(std::string_view section, std::string_view ident) {
    Update([&](TIniText& t) { return t.DeleteKey(section, ident); });
}

// ---- profile functions ----------------------------------------------------

std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view def, const std::string& fileName) {
    return TIniFile(fileName).ReadString(section, key, def);
}

int GetPrivateProfileInt(std::string_view section, std::string_view key, int def,
                         const std::string& fileName) {
    std::string value;
    std::string bytes;
    try {
        ReadWholeFile(fileName, bytes);
    } catch (const EFileError&) {
        bytes.clear();
    }
    if (!TIniText(bytes).Find(section, key, &value)) return def;
    return LeadingInt(value);
}

bool WritePrivateProfileString(const char* section, const char* key, const char* value,
                               const std::string& fileName) {
    if (!section) return false;
    try {
        TIniFile ini(fileName);
        if (!key)
            ini.EraseSection(section);
        else if (!value)
            ini.DeleteKey(section, key);
        else
            ini.WriteString(section, key, value);
        return true;
    } catch (const EFileError&) {
        return false;
    }
}

} // namespace win
