// Address-book reader on arbitrary bytes: every section reads as a site
// without a crash, and a site written back reads the same.
#include "session/core/DirectoryFile.h"

#include <cstdint>
#include <cstdlib>
#include <string>

static bool Same(const session::TSite& a, const session::TSite& b) {
    return a.Hostname == b.Hostname && a.Port == b.Port && a.FontName == b.FontName &&
           a.FontSize == b.FontSize && a.Row == b.Row && a.Column == b.Column &&
           a.SpaceV == b.SpaceV && a.KeyType == b.KeyType && a.Login == b.Login &&
           a.TriggerStr == b.TriggerStr && a.LoginText == b.LoginText &&
           a.SendKeyInterval == b.SendKeyInterval && a.AutoSendKey == b.AutoSendKey &&
           a.PictureFilename == b.PictureFilename && a.PictureStyle == b.PictureStyle &&
           a.Color == b.Color && a.Transparency == b.Transparency;
}

// Values holding line breaks, NULs or tabs are not stored as they are.
static bool Plain(const session::TSite& s) {
    for (const std::string* v : {&s.Hostname, &s.Port, &s.FontName, &s.Row, &s.Column, &s.KeyType,
                                 &s.TriggerStr, &s.AutoSendKey, &s.PictureFilename})
        if (v->find_first_of(std::string("\r\n\0\t", 4)) != std::string::npos) return false;
    return true;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    win::TIniText text(std::string_view(reinterpret_cast<const char*>(data), size));
    int n = 0;
    for (const auto& alias : session::SiteAliases(text)) {
        session::TSite site = session::ReadSite(text, alias, 13);
        if (++n > 8 || !Plain(site)) continue;
        win::TIniText copy;
        session::WriteSite(copy, "x", site, session::sgSite);
        win::TIniText back(copy.Text());
        if (!Same(site, session::ReadSite(back, "x", 13))) std::abort();
    }
    (void)session::ReadDirectoryPassword(text);
    return 0;
}
