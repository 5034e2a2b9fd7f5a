// Quillon.ini: the site-list window's settings.
#pragma once
#include <string>
#include <vector>

namespace sitelist {

struct TRect {
    int Left = 0, Top = 0, Width = 0, Height = 0;
    bool operator==(const TRect&) const = default;
};

struct TQuillonSettings {
    TRect Window;        // [Windows] Left, Top, Width, Height
    std::string KeyWord; // [Windows] KeyWord, Big5
    int TreeWidth = 220; // [TreeView] Width
    int ItemIndex = 0;   // [TreeView] ItemIndex; -1: none selected (not written)
    int ColWidth[4] = {200, 100, 50, 100};
    bool ToolBarVisible = true;
    // [ToolBar] place of the toolbar, kept as text: the window reads and
    // writes them. DockPos (its place in the row) is absent from older
    // files and reads as the designed 0.
    std::string ToolBarDock = "1", ToolBarLeft = "0", ToolBarTop = "0", ToolBarFloatingWidth = "0",
                ToolBarDockPos = "0";

    // Reads the file; the window defaults to the given screen size.
    void Load(const std::string& path, int screenWidth, int screenHeight);
    // Writes every key in one atomic write; throws win::EFileError.
    void Save(const std::string& path) const;
};

// The window moved onto the nearest of the screens when it lies on none of
// them (a screen removed since it was stored); unchanged otherwise.
TRect FitOnScreens(const TRect& window, const std::vector<TRect>& screens);

} // namespace sitelist
