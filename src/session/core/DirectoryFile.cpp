#include "session/core/DirectoryFile.h"

#include "platform/core/Big5.h"
#include "session/core/KeysFile.h"
#include "session/core/ProfileEdit.h"
#include "session/core/StrCrypt.h"
#include <algorithm>
#include <cctype>

namespace session {

const std::string kSettingSection = "*Setting*";

const std::string& DefaultSiteName() {
    static const std::string name = std::string(1, '\xFF').append(win::Utf8ToBig5("【預設位址】"));
    return name;
}

const std::string& DefaultSiteFontName() {
    static const std::string name = win::Utf8ToBig5("細明體");
    return name;
}

bool IsSettingSection(std::string_view name) {
    return win::SameProfileName(name, kSettingSection);
}

bool IsDefaultSiteName(std::string_view name) {
    return win::SameProfileName(name, DefaultSiteName());
}

std::string SiteDisplayName(std::string_view alias) {
    if (IsDefaultSiteName(alias)) alias.remove_prefix(1);
    return std::string(alias);
}

bool AliasReadsAsHost(std::string_view alias) {
    if (alias.empty()) return false;
    bool colon = false, dot = false, alnum = false;
    for (char c : alias) {
        const auto u = static_cast<unsigned char>(c);
        if (std::isalnum(u)) {
            alnum = true;
        } else if (c == '.') {
            dot = true;
        } else if (c == ':') {
            colon = true;
        } else if (c != '-' && c != '_' && c != '[' && c != ']' && c != '%') {
            return false; // a blank, a Big5 character, ...: no address
        }
    }
    // IPv6 (hex groups and colons, perhaps an IPv4 tail); IPv4 and host
    // names have a dot.
    return alnum && (colon || dot);
}

std::string NumberedAlias(const std::string& alias,
                          const std::function<bool(const std::string&)>& taken) {
    if (!taken(alias)) return alias;
    // "host (n)" counts from its host.
    std::string base = alias;
    const std::size_t open = base.rfind(" (");
    if (open != std::string::npos && base.back() == ')' && open + 3 < base.size() &&
        std::all_of(base.begin() + static_cast<long>(open) + 2, base.end() - 1,
                    [](char c) { return c >= '0' && c <= '9'; }) &&
        AliasReadsAsHost(std::string_view(base).substr(0, open)))
        base.resize(open);
    if (AliasReadsAsHost(base)) {
        for (int n = 2;; ++n) {
            std::string a = base + " (" + std::to_string(n) + ")";
            if (!taken(a)) return a;
        }
    }
    std::string a = alias;
    for (int counter = 1; taken(a); ++counter) {
        while (!a.empty() && a.back() >= '0' && a.back() <= '9')
            a.pop_back();
        a += std::to_string(counter);
    }
    return a;
}

int DefaultFontSizeForWidth(int screenWidth) {
    if (screenWidth >= 1152) return 21;
    if (screenWidth >= 1024) return 17;
    if (screenWidth >= 800) return 13;
    return 9;
}

int NumberRule(std::string_view text, int def) {
    return win::StrToIntDef(text, def);
}

namespace {

struct TReader {
    const win::TIniText& Text;
    std::string_view Section;

    std::string Str(std::string_view key, std::string_view def) const {
        std::string v;
        return Text.Find(Section, key, &v) ? v : std::string(def);
    }
    int Int(std::string_view key, int def) const {
        std::string v;
        return Text.Find(Section, key, &v) ? win::StrToIntDef(v, def) : def;
    }
    int IntIn(std::string_view key, int def, int lo, int hi) const {
        int v = Int(key, def);
        return v < lo || v > hi ? def : v;
    }
    bool Bool(std::string_view key, bool def) const { return Int(key, def ? 1 : 0) != 0; }
    // A number kept as the text typed; text that is no number reads as def.
    std::string NumberText(std::string_view key, int def) const {
        std::string v = Str(key, "");
        return win::StrToIntDef(v, def) == def && win::StrToIntDef(v, def + 1) == def + 1
                   ? std::to_string(def)
                   : v;
    }
};

} // namespace

TSite ReadSite(const win::TIniText& text, std::string_view alias, int defaultFontSize) {
    TReader r{text, alias};
    TSite s;
    s.Hostname = r.Str("Hostname", "");
    s.Port = r.Str("Port", "23");
    s.FontName = r.Str("Font.Name", DefaultSiteFontName());
    s.FontSize = r.IntIn("Font.Size", defaultFontSize, 1, 200);
    s.FontBold = r.Bool("Font.Bold", false);
    s.FontItalic = r.Bool("Font.Italic", false);
    s.Row = r.NumberText("Row", 24);
    s.Column = r.NumberText("Column", 80);
    s.SpaceV = r.IntIn("SpaceV", 0, 0, 50);
    s.LocalEcho = r.Bool("LocalEcho", false);
    s.Monochrome = r.Bool("Monochrome", false);
    s.AutoWrap = r.Bool("AutoWrap", false);
    s.Hyperlink = r.Bool("Hyperlink", true);
    s.KeyType = r.Str("KeyType", std::string(kDefaultKeyMap));
    s.Login = r.Bool("Login", false);
    s.TriggerStr = r.Str("TriggerStr", "");
    s.LoginText = DecodeStoredKeyOrEmpty(r.Str("LoginKey", ""));
    s.ForeAutoSendKey = r.Bool("ForeAutoSendKey", false);
    s.BackAutoSendKey = r.Bool("BackAutoSendKey", false);
    s.SendKeyInterval = r.IntIn("SendKeyInterval", 60, 1, 3600);
    s.AutoSendKey = r.Str("AutoSendKey", "\\x00");
    int len = std::min(r.Int("AutoSendKeyLen", 4), kMaxAutoSendKeyLen);
    if (len > static_cast<int>(s.AutoSendKey.size()))
        s.AutoSendKey.append(static_cast<std::size_t>(len) - s.AutoSendKey.size(), ' ');
    s.Picture = r.Bool("Picture", false);
    s.PictureFilename = r.Str("PictureFilename", "");
    s.PictureStyle = r.Int("PictureStyle", 3);
    s.Color = r.Int("Color", 0);
    s.Transparent = r.Bool("Transparent", false);
    s.Transparency = r.Int("Transparency", 20);
    s.Check = r.Bool("Check", false);
    return s;
}

void WriteSite(win::TIniText& text, std::string_view alias, const TSite& s, unsigned groups) {
    auto str = [&](std::string_view key, std::string_view v) {
        SetProfileValue(text, alias, key, v);
    };
    auto num = [&](std::string_view key, int v) { text.Set(alias, key, std::to_string(v)); };
    auto flag = [&](std::string_view key, bool v) { text.Set(alias, key, v ? "1" : "0"); };
    if (groups & sgHost) {
        str("Hostname", s.Hostname);
        str("Port", s.Port);
    }
    if (groups & sgFont) {
        str("Font.Name", s.FontName);
        num("Font.Size", s.FontSize);
        flag("Font.Bold", s.FontBold);
        flag("Font.Italic", s.FontItalic);
        str("Row", s.Row);
        str("Column", s.Column);
        num("SpaceV", s.SpaceV);
    }
    if (groups & sgOptions) {
        flag("LocalEcho", s.LocalEcho);
        flag("Monochrome", s.Monochrome);
        flag("AutoWrap", s.AutoWrap);
        flag("Hyperlink", s.Hyperlink);
        str("KeyType", s.KeyType);
    }
    if (groups & sgLogin) {
        flag("Login", s.Login);
        str("TriggerStr", s.TriggerStr);
        text.Set(alias, "LoginKey", EncodeStoredKey(s.LoginText));
    }
    if (groups & sgAutoSend) {
        flag("ForeAutoSendKey", s.ForeAutoSendKey);
        flag("BackAutoSendKey", s.BackAutoSendKey);
        num("SendKeyInterval", s.SendKeyInterval);
        // Trailing blanks come back from AutoSendKeyLen, so the value stays
        // as files have always held it.
        std::string_view key = s.AutoSendKey;
        while (!key.empty() && key.back() == ' ')
            key.remove_suffix(1);
        str("AutoSendKey", key);
        num("AutoSendKeyLen", static_cast<int>(s.AutoSendKey.size()));
    }
    if (groups & sgPicture) {
        flag("Picture", s.Picture);
        str("PictureFilename", s.PictureFilename);
        num("PictureStyle", s.PictureStyle);
        num("Color", s.Color);
        flag("Transparent", s.Transparent);
        num("Transparency", s.Transparency);
    }
}

std::vector<std::string> SiteAliases(const win::TIniText& text) {
    std::vector<std::string> out;
    for (auto& s : text.Sections())
        if (!IsSettingSection(s)) out.push_back(std::move(s));
    return out;
}

const std::vector<std::string>& BuiltInDefaultHosts() {
    static const std::vector<std::string> hosts = {"ptt.cc"};
    return hosts;
}

bool EnsureDefaultSite(win::TIniText& text, const std::vector<std::string>& hosts,
                       std::mt19937& random) {
    if (text.HasSection(DefaultSiteName()) || hosts.empty()) return false;
    std::uniform_int_distribution<std::size_t> pick(0, hosts.size() - 1);
    SetProfileValue(text, DefaultSiteName(), "Hostname", hosts[pick(random)]);
    text.Set(DefaultSiteName(), "Port", "23");
    return true;
}

std::string ReadDirectoryPassword(const win::TIniText& text) {
    std::string v;
    text.Find(kSettingSection, "Password", &v);
    return DecodeStoredKeyOrEmpty(v);
}

void WriteDirectoryPassword(win::TIniText& text, std::string_view plain) {
    text.Set(kSettingSection, "Password", EncodeStoredKey(plain));
}

win::TIniText TDirectoryFile::Read() const {
    return ReadProfile(FPath);
}

win::TIniText TDirectoryFile::ReadForEdit() const {
    return ReadProfileForEdit(FPath);
}

// The book holds the login texts and the password: it is the user's only.
void TDirectoryFile::Write(const win::TIniText& text) const {
    WritePrivateFile(FPath, text.Text());
}

} // namespace session
