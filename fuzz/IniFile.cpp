// Profile parser on arbitrary bytes: no crash, and rewriting the parsed file
// (as every write does) keeps every section, key and value readable as before.
#include "platform/core/IniFile.h"

#include <cstdint>
#include <cstdlib>
#include <string>

using win::TIniText;

static void Check(bool ok) {
    if (!ok) std::abort();
}

// Every key of a reads the same in b (keys of section/key skipped).
static void SameContents(const TIniText& a, const TIniText& b, const std::string& skipSection,
                         const std::string& skipKey) {
    for (const auto& s : a.Sections()) {
        Check(b.HasSection(s));
        for (const auto& k : a.Keys(s)) {
            if (win::SameProfileName(s, skipSection) && win::SameProfileName(k, skipKey)) continue;
            std::string va, vb;
            Check(a.Find(s, k, &va));
            Check(b.Find(s, k, &vb));
            Check(va == vb);
        }
    }
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    TIniText original(bytes);
    TIniText rewritten(original.Text());
    Check(rewritten.Sections() == original.Sections());
    SameContents(original, rewritten, "", "");

    rewritten.Set("Fuzz", "Key", bytes.substr(0, 32));
    TIniText changed(rewritten.Text());
    Check(changed.Find("fuzz", "KEY", nullptr));
    SameContents(original, changed, "Fuzz", "Key");

    std::string value;
    if (original.Find("Fuzz", "Key", &value)) {
        (void)win::StrToIntDef(value, 0);
        (void)win::LeadingInt(value);
    }
    (void)win::StrToIntDef(bytes.substr(0, 24), 7);
    (void)win::LeadingInt(bytes.substr(0, 24));
    return 0;
}
