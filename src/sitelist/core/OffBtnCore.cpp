#include "sitelist/core/OffBtnCore.h"

namespace sitelist {

TOffBtnReaction TOffBtnMachine::Become(TOffBtnMouse state) {
    TOffBtnReaction r;
    r.Repaint = state != State;
    State = state;
    return r;
}

TOffBtnReaction TOffBtnMachine::LeftDown() {
    TOffBtnReaction r = Become(TOffBtnMouse::Down);
    r.Capture = !Captured;
    Captured = true;
    return r;
}

TOffBtnReaction TOffBtnMachine::Move(bool inside) {
    TOffBtnReaction r;
    switch (State) {
    case TOffBtnMouse::Down:
        if (!inside) r = Become(TOffBtnMouse::PressedOutside);
        break;
    case TOffBtnMouse::PressedOutside:
        if (inside) r = Become(TOffBtnMouse::Down);
        break;
    case TOffBtnMouse::Normal:
        if (inside) {
            r = Become(TOffBtnMouse::Hot);
            r.Enter = true;
            r.Capture = !Captured;
            Captured = true;
        }
        break;
    case TOffBtnMouse::Hot:
        if (!inside) {
            r = Become(TOffBtnMouse::Normal);
            r.Exit = true;
            r.Release = Captured;
            Captured = false;
        }
        break;
    }
    return r;
}

TOffBtnReaction TOffBtnMachine::LeftUp(bool inside, int modalResult) {
    bool wasDown = State == TOffBtnMouse::Down;
    TOffBtnReaction r;
    if (inside && modalResult == 0) {
        r = Become(TOffBtnMouse::Hot);
    } else {
        r = Become(TOffBtnMouse::Normal);
        r.Release = Captured;
        Captured = false;
    }
    r.Click = wasDown && inside;
    return r;
}

TOffBtnReaction TOffBtnMachine::Reset() {
    TOffBtnReaction r = Become(TOffBtnMouse::Normal);
    r.Release = Captured;
    Captured = false;
    return r;
}

int FirstGlyphOf(TOffBtnType type, bool office2000Look) {
    switch (type) {
    case TOffBtnType::bsButton:
        return 1;
    case TOffBtnType::bsRadioButton:
        return office2000Look ? 17 : 5;
    case TOffBtnType::bsUpButton:
        return 9;
    case TOffBtnType::bsDownButton:
        return 13;
    case TOffBtnType::bsHintButton:
        return 21;
    }
    return 1;
}

TGlyphPosition AllowedPosition(TOffBtnType type, TGlyphPosition position) {
    bool side = position == TGlyphPosition::bsLeft || position == TGlyphPosition::bsRight;
    return type != TOffBtnType::bsButton && side ? TGlyphPosition::bsTop : position;
}

int WrapWidth(const TOffBtnGeometry& g) {
    bool vertical = g.Position == TGlyphPosition::bsTop || g.Position == TGlyphPosition::bsBottom;
    int w;
    if (g.Type == TOffBtnType::bsButton)
        w = vertical ? g.Width - 13 : g.Width - g.GlyphWidth - 18;
    else
        w = g.Width - g.GlyphWidth - 10;
    if (!g.ShowGlyph) w += g.GlyphWidth + 5;
    return w;
}

int AutoHeight(const TOffBtnGeometry& g, int textHeight) {
    int h = textHeight;
    if (g.ShowGlyph) {
        bool vertical =
            g.Position == TGlyphPosition::bsTop || g.Position == TGlyphPosition::bsBottom;
        if (g.Type == TOffBtnType::bsButton && vertical)
            h += g.GlyphHeight + 4;
        else if (h < g.GlyphHeight)
            h = g.GlyphHeight;
    }
    return h + (g.Type == TOffBtnType::bsButton ? 10 : 5);
}

TOffBtnPlaces PlaceContent(const TOffBtnGeometry& g, int cw, int ch, bool pressed) {
    const int W = g.Width, H = g.Height;
    int gw = g.ShowGlyph ? g.GlyphWidth : 0, gh = g.ShowGlyph ? g.GlyphHeight : 0;
    TOffBtnPlaces p;
    if (g.Type == TOffBtnType::bsButton) {
        TGlyphPosition pos = g.Position;
        if (g.RightToLeft && pos == TGlyphPosition::bsLeft)
            pos = TGlyphPosition::bsRight;
        else if (g.RightToLeft && pos == TGlyphPosition::bsRight)
            pos = TGlyphPosition::bsLeft;
        if (!g.ShowGlyph) {
            p.Caption = {(W - cw - 1) / 2 + 1, (H - ch - 1) / 2 + 1};
        } else if (pos == TGlyphPosition::bsTop || pos == TGlyphPosition::bsBottom) {
            p.Glyph = {(W - gw - 1) / 2 + 1, 6};
            p.Caption = {(W - cw - 1) / 2 + 1, (H - gh - ch - 1) / 2 + gh + 1};
            if (pos == TGlyphPosition::bsBottom) {
                p.Glyph.Y = H - p.Glyph.Y - gh - 1;
                p.Caption.Y = H - p.Caption.Y - ch - 1;
            }
        } else {
            p.Glyph = {6, (H - gh - 1) / 2 + 1};
            p.Caption = {(W - gw - cw - 1) / 2 + gw + 1, (H - ch - 1) / 2 + 1};
            if (pos == TGlyphPosition::bsRight) {
                p.Glyph.X = W - p.Glyph.X - gw - 1;
                p.Caption.X = W - p.Caption.X - cw - 1;
            }
        }
        if (pressed) {
            ++p.Glyph.X, ++p.Glyph.Y;
            ++p.Caption.X, ++p.Caption.Y;
        }
        return p;
    }
    if (g.ShowGlyph) {
        p.Glyph = {2, ch - gh > 1 ? 2 + (ch - gh) / 2 : 2};
        p.Caption = {gw + 7, 2};
    } else {
        p.Caption = {2, 2};
    }
    if (g.RightToLeft) {
        p.Glyph.X = W - gw - p.Glyph.X;
        p.Caption.X = W - cw - p.Caption.X;
    }
    if (g.Position == TGlyphPosition::bsBottom) {
        p.Glyph.Y = H - p.Glyph.Y - gh - 1;
        p.Caption.Y = H - p.Caption.Y - ch - 1;
    }
    return p;
}

} // namespace sitelist
