#include "session/core/KeysFile.h"

#include "platform/core/Big5.h"
#include "session/core/ProfileEdit.h"

namespace session {

const std::string kTempKeySection = "\xFFtemp";

bool IsNumLockKeypadScan(int scan) {
    return (scan >= 71 && scan <= 73) || (scan >= 75 && scan <= 77) || (scan >= 79 && scan <= 83);
}

std::string MakeKeyName(int scan, bool extended, std::string_view caption, bool num, bool shift,
                        bool ctrl) {
    std::string name = std::to_string(scan % 1000);
    name.insert(0, 3 - name.size(), '0');
    name += '-';
    name += (num && !extended && IsNumLockKeypadScan(scan)) ? '1' : '0';
    name += shift ? '1' : '0';
    name += ctrl ? '1' : '0';
    name += extended ? '1' : '0';
    name += '(';
    for (char c : caption)
        name += (c == '=' || c == '\r' || c == '\n' || c == '\0') ? '_' : c;
    name += ')';
    return name;
}

std::optional<TKeyName> ParseKeyName(std::string_view name) {
    if (name.size() < 3) return std::nullopt;
    int scan = 0;
    for (std::size_t i = 0; i < 3; ++i) {
        if (name[i] < '0' || name[i] > '9') return std::nullopt;
        scan = scan * 10 + (name[i] - '0');
    }
    if (scan < 1 || scan > 255) return std::nullopt;
    auto flag = [&](std::size_t pos) { return pos < name.size() && name[pos] == '1'; };
    TKeyName k;
    k.Scan = static_cast<std::uint8_t>(scan);
    k.Keypad = flag(4);
    k.Shift = flag(5);
    k.Ctrl = flag(6);
    k.Extended = flag(7);
    return k;
}

std::string DecodeCaretText(std::string_view text, std::size_t maxBytes) {
    std::string out;
    auto append = [&](char c) {
        if (out.size() < maxBytes) out += c;
    };
    for (std::size_t i = 0; i < text.size() && out.size() < maxBytes; ++i) {
        auto c = static_cast<unsigned char>(text[i]);
        if (win::IsBig5Lead(c) && i + 1 < text.size()) {
            append(text[i]);
            append(text[++i]);
        } else if (c == '^' && i + 1 < text.size()) {
            char n = text[++i];
            append(n == '[' ? '\x1B' : static_cast<char>(static_cast<unsigned char>(n) & 31));
        } else {
            append(static_cast<char>(c));
        }
    }
    return out;
}

const std::vector<std::pair<std::string, std::string>>& DefaultMapKeys() {
    static const std::vector<std::pair<std::string, std::string>> keys = {
        {"072-0001(Up)", "^[[A"},      {"080-0001(Down)", "^[[B"},  {"075-0001(Left)", "^[[D"},
        {"077-0001(Right)", "^[[C"},   {"073-0001(PgUp)", "^[[5~"}, {"081-0001(PgDn)", "^[[6~"},
        {"071-0001(Home)", "^[[1~"},   {"079-0001(End)", "^[[4~"},  {"082-0001(Insert)", "^[[2~"},
        {"083-0001(Delete)", "^[[3~"}, {"014-0000(Back)", "\x7F"},  {"082-0000(0)", "^[[2~"},
        {"083-0000(.)", "^[[3~"},      {"071-0000(7)", "^[[1~"},    {"079-0000(1)", "^[[4~"},
        {"073-0000(9)", "^[[5~"},      {"081-0000(3)", "^[[6~"},    {"072-0000(8)", "^[[A"},
        {"080-0000(2)", "^[[B"},       {"075-0000(4)", "^[[D"},     {"077-0000(6)", "^[[C"},
    };
    return keys;
}

bool EnsureDefaultKeyMap(win::TIniText& keys) {
    bool changed = false;
    for (const auto& [name, value] : DefaultMapKeys()) {
        std::string v;
        if (keys.Find(kDefaultKeyMap, name, &v) && !v.empty()) continue;
        SetProfileValue(keys, kDefaultKeyMap, name, value);
        changed = true;
    }
    return changed;
}

std::vector<std::pair<std::string, std::string>> ReadKeyMap(const win::TIniText& keys,
                                                            std::string_view section) {
    std::vector<std::pair<std::string, std::string>> out;
    for (auto& name : keys.Keys(section)) {
        std::string v;
        keys.Find(section, name, &v);
        out.emplace_back(std::move(name), std::move(v));
    }
    return out;
}

void ReplaceKeyMap(win::TIniText& keys, std::string_view section,
                   const std::vector<std::pair<std::string, std::string>>& pairs) {
    keys.EraseSection(section);
    for (const auto& [name, value] : pairs) {
        if (value.empty()) continue;
        SetProfileValue(keys, section, name, value);
    }
}

} // namespace session
