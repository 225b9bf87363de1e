#pragma once

#include "platform/ddraw.h"

// A rectangle on the screen showing one of four frames of a horizontal strip in a picture
// surface; it follows the mouse and reports completed clicks. States (and frames):
// 0 off, 1 off and hovered, 2 on (the pressed look), 3 on and hovered.
class CSpriteButton {
public:
    CSpriteButton() = default;
    CSpriteButton(int sourceX, int sourceY, int frameWidth, int frameHeight, const RECT& screenRect);
    virtual ~CSpriteButton() = default;

    // The frame of the current state in the source surface.
    RECT GetSourceRect() const;
    void OnMouseMove(int x, int y);
    void OnLButtonDown(int x, int y);
    // True for a completed click: pressed inside and released inside.
    bool OnLButtonUp(int x, int y);
    // Blits the current frame, keyed, to gBackSurface at the top left of screenRect; the
    // result of the last blit, a lost surface included, is the owner's to act on.
    HRESULT Draw(IDirectDrawSurface* source);

    // Back to how a new button starts, for a screen that becomes current again.
    void Reset();

    int sourceX = 0;
    int sourceY = 0;
    int frameWidth = 0;
    int frameHeight = 0;
    RECT screenRect{0, 0, 0, 0};
    int savedState = 0;
    int state = 0;
    bool pressed = false;
    bool tracking = true;
    bool enabled = true;

private:
    bool Contains(int x, int y) const;
};
