#include "session/SystemColors.h"

QColor ColorFromTColor(TColor color, const QPalette& palette) {
    if (color & 0x80000000u) {
        switch (color & 0xFF) {
        case 5:
            return palette.color(QPalette::Base); // window background
        case 8:
            return palette.color(QPalette::Text); // window text
        case 13:
            return palette.color(QPalette::Highlight);
        case 14:
            return palette.color(QPalette::HighlightedText);
        case 15:
            return palette.color(QPalette::Button); // button face
        case 16:
            return palette.color(QPalette::Dark); // button shadow
        case 17:
            return palette.color(QPalette::Disabled, QPalette::Text);
        case 18:
            return palette.color(QPalette::ButtonText);
        case 20:
            return palette.color(QPalette::Light); // button highlight
        case 23:
            return palette.color(QPalette::ToolTipText);
        case 24:
            return palette.color(QPalette::ToolTipBase);
        default:
            return palette.color(QPalette::Window);
        }
    }
    return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

TColor TColorFromColor(const QColor& c) {
    return static_cast<TColor>(c.red()) | (static_cast<TColor>(c.green()) << 8) |
           (static_cast<TColor>(c.blue()) << 16);
}
