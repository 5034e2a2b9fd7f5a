#include "platform/core/IniFile.h"

#include "platform/core/Big5.h"

#include <climits>
#include <cstdint>
#include <mutex>

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

TIniText::TLine TIniText::ParseLine(std::string_view raw) {
    TLine line;
    line.Raw = std::string(raw);
    std::string_view t = Trim(raw);
    if (t.empty() || t.front() == ';') return line;
    if (t.front() == '[') {
        // The name ends at the last "]": a Big5 name may hold "]" as the
        // second byte of a pair.
        std::string_view body = t.substr(1);
        auto close = body.rfind(']');
        if (close != std::string_view::npos) body = body.substr(0, close);
        line.Kind = TKind::Section;
        line.Name = std::string(Trim(body));
        return line;
    }
    // "=" (0x3D) is never the second byte of a Big5 pair.
    auto eq = t.find('=');
    if (eq == std::string_view::npos) return line;
    std::string_view name = Trim(t.substr(0, eq));
    if (name.empty()) return line;
    line.Kind = TKind::Key;
    line.Name = std::string(name);
    line.Value = std::string(Unquote(Trim(t.substr(eq + 1))));
    return line;
}

void TIniText::Parse(std::string_view bytes) {
    Lines.clear();
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            Lines.push_back(ParseLine(bytes.substr(start)));
            break;
        }
        Lines.push_back(ParseLine(bytes.substr(start, end - start)));
        start = end + 1;
        if (bytes[end] == '\r' && start < bytes.size() && bytes[start] == '\n') ++start;
    }
}

std::string TIniText::Text() const {
    std::string out;
    for (const auto& l : Lines) {
        out += l.Raw;
        out += "\r\n";
    }
    return out;
}

bool TIniText::Find(std::string_view section, std::string_view key, std::string* value) const {
    bool in = false;
    for (const auto& l : Lines) {
        if (l.Kind == TKind::Section) {
            in = SameProfileName(l.Name, section);
        } else if (in && l.Kind == TKind::Key && SameProfileName(l.Name, key)) {
            if (value) *value = l.Value;
            return true;
        }
    }
    return false;
}

std::vector<std::string> TIniText::Sections() const {
    std::vector<std::string> out;
    for (const auto& l : Lines) {
        if (l.Kind != TKind::Section) continue;
        bool seen = false;
        for (const auto& s : out)
            seen = seen || SameProfileName(s, l.Name);
        if (!seen) out.push_back(l.Name);
    }
    return out;
}

std::vector<std::string> TIniText::Keys(std::string_view section) const {
    std::vector<std::string> out;
    bool in = false;
    for (const auto& l : Lines) {
        if (l.Kind == TKind::Section) {
            in = SameProfileName(l.Name, section);
        } else if (in && l.Kind == TKind::Key) {
            bool seen = false;
            for (const auto& k : out)
                seen = seen || SameProfileName(k, l.Name);
            if (!seen) out.push_back(l.Name);
        }
    }
    return out;
}

bool TIniText::HasSection(std::string_view section) const {
    for (const auto& l : Lines)
        if (l.Kind == TKind::Section && SameProfileName(l.Name, section)) return true;
    return false;
}

void TIniText::Set(std::string_view section, std::string_view key, std::string_view value) {
    std::string k = CleanName(key);
    if (k.empty() || k.find('=') != std::string::npos || k.front() == '[' || k.front() == ';')
        throw EIniFileException("invalid key name \"" + k + "\"");
    std::string v = CleanValue(value);
    std::string s = CleanName(section);

    bool in = false;
    std::size_t insertAt = Lines.size();
    bool sectionFound = false;
    for (std::size_t i = 0; i < Lines.size(); ++i) {
        TLine& l = Lines[i];
        if (l.Kind == TKind::Section) {
            in = SameProfileName(l.Name, s);
            if (in && !sectionFound) {
                sectionFound = true;
                insertAt = i + 1;
            }
        } else if (in && l.Kind == TKind::Key && SameProfileName(l.Name, k)) {
            l = ParseLine(l.Name + "=" + v);
            return;
        }
    }
    // A new key goes after the last non-blank line of the first section of
    // that name, ahead of the blank lines that separate it from the next.
    if (sectionFound) {
        std::size_t end = insertAt;
        while (end < Lines.size() && Lines[end].Kind != TKind::Section)
            ++end;
        std::size_t pos = end;
        while (pos > insertAt && Trim(Lines[pos - 1].Raw).empty())
            --pos;
        Lines.insert(Lines.begin() + static_cast<std::ptrdiff_t>(pos), ParseLine(k + "=" + v));
        return;
    }
    if (!Lines.empty() && !Trim(Lines.back().Raw).empty()) Lines.push_back(ParseLine(""));
    Lines.push_back(ParseLine("[" + s + "]"));
    Lines.push_back(ParseLine(k + "=" + v));
}

bool TIniText::DeleteKey(std::string_view section, std::string_view key) {
    bool in = false, removed = false;
    std::vector<TLine> kept;
    kept.reserve(Lines.size());
    for (auto& l : Lines) {
        if (l.Kind == TKind::Section) in = SameProfileName(l.Name, section);
        if (in && l.Kind == TKind::Key && SameProfileName(l.Name, key)) {
            removed = true;
            continue;
        }
        kept.push_back(std::move(l));
    }
    Lines = std::move(kept);
    return removed;
}

bool TIniText::EraseSection(std::string_view section) {
    bool in = false, removed = false;
    std::vector<TLine> kept;
    kept.reserve(Lines.size());
    for (auto& l : Lines) {
        if (l.Kind == TKind::Section) in = SameProfileName(l.Name, section);
        if (in) {
            removed = true;
            continue;
        }
        kept.push_back(std::move(l));
    }
    Lines = std::move(kept);
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
