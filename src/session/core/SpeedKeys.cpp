#include "session/core/SpeedKeys.h"

#include "platform/core/Big5.h"

namespace session {

std::string DecodeSpeedKey(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    const std::size_t n = s.size();
    std::size_t i = 0;
    while (i < n) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (win::IsBig5Lead(c) && i + 1 < n) {
            out.append(s.substr(i, 2));
            i += 2;
            continue;
        }
        if (c != '^' || i + 1 == n) {
            out.push_back(static_cast<char>(c));
            ++i;
            continue;
        }
        const auto next = static_cast<unsigned char>(s[i + 1]);
        if (win::IsBig5Lead(next)) {
            // No control form of a two-byte character: the caret is literal
            // and the character follows whole on the next step.
            out.push_back('^');
            ++i;
            continue;
        }
        if (next == '^')
            out.push_back('^');
        else if (next == '[')
            out.push_back('\x1b');
        else
            out.push_back(static_cast<char>(next & 31));
        i += 2;
    }
    return out;
}

int NextSpeedGroup(int g) {
    return g + 1 > SpeedGroupCount ? 1 : g + 1;
}

int PreviousSpeedGroup(int g) {
    return g - 1 < 1 ? SpeedGroupCount : g - 1;
}

int ValidSpeedGroup(int g) {
    return g >= 1 && g <= SpeedGroupCount ? g : 1;
}

std::string SpeedKeyHint(int index, std::string_view key) {
    std::string hint = "F";
    hint.append(std::to_string(index + 1));
    hint.push_back(':');
    hint.append(key);
    return hint;
}

namespace {
std::string Section(int group) {
    std::string s = "SpeedButton";
    s.append(std::to_string(group));
    return s;
}
std::string KeyName(const char* name, int i) {
    std::string s = name;
    s.append(std::to_string(i));
    return s;
}
} // namespace

TSpeedGroup ReadSpeedGroup(const win::TIniText& ini, int group) {
    TSpeedGroup g;
    const std::string section = Section(group);
    for (int i = 0; i < SpeedKeyCount; ++i) {
        std::string v;
        if (ini.Find(section, KeyName("Label", i), &v)) g.Labels[i] = v;
        v.clear();
        if (ini.Find(section, KeyName("Key", i), &v)) g.Keys[i] = v;
    }
    return g;
}

TSpeedTable ReadSpeedTable(const win::TIniText& ini) {
    TSpeedTable t;
    for (int g = 0; g < SpeedGroupCount; ++g)
        t[g] = ReadSpeedGroup(ini, g + 1);
    return t;
}

void WriteSpeedTable(win::TIniText& ini, const TSpeedTable& table) {
    for (int g = 0; g < SpeedGroupCount; ++g) {
        const std::string section = Section(g + 1);
        for (int i = 0; i < SpeedKeyCount; ++i) {
            ini.Set(section, KeyName("Label", i), table[g].Labels[i]);
            ini.Set(section, KeyName("Key", i), table[g].Keys[i]);
        }
    }
}

} // namespace session
