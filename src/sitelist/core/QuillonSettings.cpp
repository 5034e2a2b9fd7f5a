#include "sitelist/core/QuillonSettings.h"

#include "platform/core/Files.h"
#include "platform/core/IniFile.h"

#include <algorithm>
#include <climits>

namespace sitelist {

void TQuillonSettings::Load(const std::string& path, int screenWidth, int screenHeight) {
    win::TIniFile ini(path);
    Window.Left = ini.ReadInteger("Windows", "Left", 0);
    Window.Top = ini.ReadInteger("Windows", "Top", 0);
    Window.Width = ini.ReadInteger("Windows", "Width", screenWidth);
    Window.Height = ini.ReadInteger("Windows", "Height", screenHeight);
    KeyWord = ini.ReadString("Windows", "KeyWord", "");
    TreeWidth = ini.ReadInteger("TreeView", "Width", 220);
    ItemIndex = ini.ReadInteger("TreeView", "ItemIndex", 0);
    static const int defaults[4] = {200, 100, 50, 100};
    for (int i = 0; i < 4; ++i)
        ColWidth[i] = ini.ReadInteger("ListView", "ColWidth" + std::to_string(i + 1), defaults[i]);
    ToolBarVisible = ini.ReadBool("ToolBar", "Visible", true);
    ToolBarDock = ini.ReadString("ToolBar", "Dock", "1");
    ToolBarLeft = ini.ReadString("ToolBar", "Left", "0");
    ToolBarTop = ini.ReadString("ToolBar", "Top", "0");
    ToolBarFloatingWidth = ini.ReadString("ToolBar", "FloatingWidth", "0");
    ToolBarDockPos = ini.ReadString("ToolBar", "DockPos", "0");
}

void TQuillonSettings::Save(const std::string& path) const {
    win::TIniText text;
    std::string old;
    try {
        if (win::ReadWholeFile(path, old)) text.Parse(old);
    } catch (const win::EFileError&) {
        // An unreadable file is rewritten with the settings alone.
    }
    auto num = [](int v) { return std::to_string(v); };
    text.Set("Windows", "Left", num(Window.Left));
    text.Set("Windows", "Top", num(Window.Top));
    text.Set("Windows", "Width", num(Window.Width));
    text.Set("Windows", "Height", num(Window.Height));
    text.Set("Windows", "KeyWord", KeyWord);
    text.Set("TreeView", "Width", num(TreeWidth));
    if (ItemIndex >= 0) text.Set("TreeView", "ItemIndex", num(ItemIndex));
    for (int i = 0; i < 4; ++i)
        text.Set("ListView", "ColWidth" + num(i + 1), num(ColWidth[i]));
    text.Set("ToolBar", "Visible", ToolBarVisible ? "1" : "0");
    text.Set("ToolBar", "Dock", ToolBarDock);
    text.Set("ToolBar", "Left", ToolBarLeft);
    text.Set("ToolBar", "Top", ToolBarTop);
    text.Set("ToolBar", "FloatingWidth", ToolBarFloatingWidth);
    text.Set("ToolBar", "DockPos", ToolBarDockPos);
    win::WriteFileAtomic(path, text.Text());
}

namespace {

long long Overlap(const TRect& a, const TRect& b) {
    long long w = std::min<long long>(a.Left + a.Width, b.Left + b.Width) -
                  std::max<long long>(a.Left, b.Left);
    long long h =
        std::min<long long>(a.Top + a.Height, b.Top + b.Height) - std::max<long long>(a.Top, b.Top);
    return w > 0 && h > 0 ? w * h : 0;
}

// Distance between the rectangles' centres, squared.
long long Distance(const TRect& a, const TRect& b) {
    long long dx = (2LL * a.Left + a.Width) - (2LL * b.Left + b.Width);
    long long dy = (2LL * a.Top + a.Height) - (2LL * b.Top + b.Height);
    return dx * dx + dy * dy;
}

} // namespace

TRect FitOnScreens(const TRect& window, const std::vector<TRect>& screens) {
    if (screens.empty()) return window;
    const TRect* nearest = &screens.front();
    for (const TRect& s : screens) {
        if (Overlap(window, s) > 0) return window;
        if (Distance(window, s) < Distance(window, *nearest)) nearest = &s;
    }
    TRect r = window;
    r.Width = std::clamp(r.Width, 1, std::max(1, nearest->Width));
    r.Height = std::clamp(r.Height, 1, std::max(1, nearest->Height));
    r.Left = std::clamp(r.Left, nearest->Left, nearest->Left + nearest->Width - r.Width);
    r.Top = std::clamp(r.Top, nearest->Top, nearest->Top + nearest->Height - r.Height);
    return r;
}

} // namespace sitelist
