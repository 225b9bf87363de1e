#include "gfx/sprite_button.h"

#include "gfx/display.h"

namespace {

// Off states are 0 and 1, on states 2 and 3.
bool IsOff(int state)
{
    return state <= 1;
}

}  // namespace

CSpriteButton::CSpriteButton(int sourceX, int sourceY, int frameWidth, int frameHeight, const RECT& screenRect)
    : sourceX(sourceX), sourceY(sourceY), frameWidth(frameWidth), frameHeight(frameHeight), screenRect(screenRect)
{
}

RECT CSpriteButton::GetSourceRect() const
{
    const int left = sourceX + state * frameWidth;
    return RECT{left, sourceY, left + frameWidth, sourceY + frameHeight};
}

bool CSpriteButton::Contains(int x, int y) const
{
    return screenRect.left <= x && x < screenRect.right && screenRect.top <= y && y < screenRect.bottom;
}

void CSpriteButton::OnMouseMove(int x, int y)
{
    if (!enabled || !tracking) return;
    const bool inside = Contains(x, y);
    if (pressed) {
        // Over the button it shows what a release would leave; away from it, the old look.
        const bool wasOff = IsOff(savedState);
        state = inside ? (wasOff ? 2 : 0) : (wasOff ? 0 : 2);
    } else {
        const bool off = IsOff(state);
        state = inside ? (off ? 1 : 3) : (off ? 0 : 2);
    }
}

void CSpriteButton::OnLButtonDown(int x, int y)
{
    if (!enabled) return;
    if (!Contains(x, y)) {
        tracking = false;
        return;
    }
    savedState = state;
    pressed = true;
    state = IsOff(state) ? 2 : 0;
}

bool CSpriteButton::OnLButtonUp(int x, int y)
{
    if (!enabled) return false;
    const bool clicked = pressed && Contains(x, y);
    if (clicked) state = IsOff(savedState) ? 2 : 0;
    savedState = state;
    pressed = false;
    tracking = true;
    return clicked;
}

HRESULT CSpriteButton::Draw(IDirectDrawSurface* source)
{
    RECT frame = GetSourceRect();
    return BltFastUntilDone(gBackSurface, static_cast<DWORD>(screenRect.left), static_cast<DWORD>(screenRect.top),
                            source, &frame, DDBLTFAST_SRCCOLORKEY);
}

void CSpriteButton::Reset()
{
    state = 0;
    savedState = 0;
    // A press held while its screen was left would otherwise still be pending on return:
    // hover showed the pressed look and any later release over the button clicked it.
    pressed = false;
    tracking = true;
}
