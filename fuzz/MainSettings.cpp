// Main settings loader on arbitrary bytes: no crash, values within their
// ranges, and a save of what was read reads back as the same settings.
#include "session/core/MainSettings.h"

#include <cstdint>
#include <cstdlib>
#include <string>

static void Check(bool ok) {
    if (!ok) std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // NUL and CR inside a value are written back as blanks (one write never
    // adds a line), so the round trip is checked on text without them.
    std::string bytes(reinterpret_cast<const char*>(data), size);
    for (char& c : bytes)
        if (c == '\0' || c == '\r') c = '\x01';
    TSettingsEnvironment env;
    env.ScreenWidth = 1280;
    env.ScreenHeight = 800;
    env.ProgramFolder = "/prog/";
    win::TIniText ini(bytes);
    TMainSettings s;
    s.Load(ini, env);
    Check(s.MdiPictureStyle >= 0 && s.MdiPictureStyle <= 2);
    Check(s.CRLF >= 0 && s.CRLF <= 2);
    Check(s.AnsiCode >= 0 && s.AnsiCode <= 2);
    Check(!s.AnsiCtrl.empty());
    Check(s.MaxHostNumber >= 0 && s.DelayInterval >= 0 && s.ClearBeepInterval >= 0);
    Check(s.Hosts.size() <= static_cast<std::size_t>(s.MaxHostNumber));
    for (const std::string& h : s.Hosts)
        Check(h != "*");

    s.Save(ini);
    TMainSettings back;
    back.Load(win::TIniText(ini.Text()), env);
    back.Ask = s.Ask; // written only by the offer
    Check(back == s);
    return 0;
}
