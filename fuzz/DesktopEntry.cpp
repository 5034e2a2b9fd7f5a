// Desktop entries, Exec lines and mimeapps lists from arbitrary bytes: read
// without a crash, and any argument vector read from an Exec line is
// written back and read again unchanged.
#include "session/core/DesktopEntry.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    TDesktopFile f = ParseDesktopFile(text);
    (void)f.String("Desktop Entry", "Exec");
    (void)DefaultApplicationsIn(text, "x-scheme-handler/http");

    TExecFields fields;
    fields.Url = "u";
    fields.Icon = "i";
    std::vector<std::string> argv;
    if (SplitExecLine(UnescapeDesktopString(text), fields, argv)) {
        std::string stored = EscapeDesktopString(BuildExecLine(argv));
        std::vector<std::string> again;
        if (!SplitExecLine(UnescapeDesktopString(stored), {}, again) || again != argv)
            __builtin_trap();
    }
    if (UnescapeDesktopString(EscapeDesktopString(text)) != text) __builtin_trap();
    return 0;
}
