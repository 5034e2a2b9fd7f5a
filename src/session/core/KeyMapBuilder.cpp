#include "session/core/KeyMapBuilder.h"

#include "session/core/KeysFile.h"

namespace session {

TKeyMapBuild BuildKeyTable(const std::vector<std::pair<std::string, std::string>>& keys,
                           TKeyTable& table) {
    TKeyMapBuild r;
    for (const auto& [name, value] : keys) {
        if (value.empty()) continue;
        auto key = ParseKeyName(name);
        if (!key) continue;
        if (r.Filled == KeyTableSize) {
            r.Overflow = true;
            break;
        }
        TKeyMapEntry& e = table[static_cast<std::size_t>(r.Filled++)];
        e = TKeyMapEntry();
        e.ScanCode = key->Scan;
        e.Keypad = key->Keypad ? 1 : 0;
        e.Shift = static_cast<std::uint8_t>((key->Shift ? ssShift : 0) | (key->Ctrl ? ssCtrl : 0));
        e.Extended = key->Extended ? 1 : 0;
        e.SetText(DecodeCaretText(value, 50));
    }
    for (int i = r.Filled; i < KeyTableSize; ++i)
        table[static_cast<std::size_t>(i)] = TKeyMapEntry();
    return r;
}

} // namespace session
