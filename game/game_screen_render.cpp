#include "game/game_screen.h"

#include <cstdio>

#include "game/sprite_sheet.h"
#include "gfx/bitmap_surface.h"
#include "gfx/display.h"

namespace {

constexpr std::int32_t kMarkEvery = 10;  // every tenth segment from the tail glows

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kRed = 0x0000FF;
constexpr COLORREF kOrange = 0x0080FF;
constexpr COLORREF kGreen = 0x00FF00;
constexpr COLORREF kBlue = 0xFF0000;
// The score stands on the black frame below the field.
constexpr RECT kTotalBox{270, 462, 370, 678};
constexpr RECT kWorm0WinsBox{530, 462, 630, 678};  // worm 0 starts on the right
constexpr RECT kWorm1WinsBox{10, 462, 110, 678};
constexpr std::int32_t kLowTotal = 10;   // below: red
constexpr std::int32_t kHighTotal = 15;  // above: green; between: orange

COLORREF TotalColor(std::int32_t total)
{
    if (total < kLowTotal) return kRed;
    if (total > kHighTotal) return kGreen;
    return kOrange;
}

void DrawNumber(HDC dc, std::int32_t number, RECT box, COLORREF color)
{
    char text[16];
    const int length = std::snprintf(text, sizeof text, "%d", number);
    SetTextColor(dc, color);
    DrawTextA(dc, text, length, &box, DT_CENTER | DT_VCENTER);
}

}  // namespace

void CGameScreen::Render()
{
    // A picture that failed to load is never drawn from while the program ends.
    if (groundSurface == nullptr || spriteSurface == nullptr || gBackSurface == nullptr) return;
    RECT whole{0, 0, kScreenWidth, kScreenHeight};
    if (BltFastUntilDone(gBackSurface, 0, 0, groundSurface, &whole, DDBLTFAST_NOCOLORKEY) == DDERR_SURFACELOST)
        RestoreSurfaces();
    DrawSprite(bonusX, bonusY, bonusSourceRect);
    DrawSprite(foodX, foodY, kFoodCell);
    for (std::int32_t i = 0; i < wormCount; ++i) DrawWorm(worms[i]);
    DrawScoreLine();
}

// A lost surface costs only this draw: both pictures come back and the frame goes on.
void CGameScreen::DrawSprite(std::int32_t centreX, std::int32_t centreY, RECT source)
{
    const auto x = static_cast<DWORD>(centreX - kSpriteCellSize / 2);
    const auto y = static_cast<DWORD>(centreY - kSpriteCellSize / 2);
    if (BltFastUntilDone(gBackSurface, x, y, spriteSurface, &source, DDBLTFAST_SRCCOLORKEY) == DDERR_SURFACELOST)
        RestoreSurfaces();
}

// From the tail to the head, so segments nearer the head lie over those behind them.
void CGameScreen::DrawWorm(WormRecord& worm)
{
    SegmentList& body = worm.body;
    const std::int32_t count = body.GetCount();
    for (std::int32_t k = 1; k <= count; ++k) {
        const Segment segment = body.CycleTailToHead();
        std::int32_t column = k % kMarkEvery == 0 ? kMarkedColumn : kBodyColumn;
        if (k == count) column = kHeadColumn;  // the last one visited is the head
        DrawSprite(segment.x, segment.y, SpriteCell(column, worm.spriteRow));
    }
}

void CGameScreen::DrawScoreLine()
{
    HDC dc = nullptr;
    // Without a device context this frame has no score line; everything else stands.
    if (gBackSurface->GetDC(&dc) != DD_OK) return;
    SetBkColor(dc, kBlack);
    HGDIOBJ oldFont = SelectObject(dc, scoreFont.GetSafeHandle());
    if (wormCount == 2 && matchMode) {
        DrawNumber(dc, worms[0].wins, kWorm0WinsBox, kGreen);
        DrawNumber(dc, worms[1].wins, kWorm1WinsBox, kBlue);
    } else {
        std::int32_t total = worms[0].score;
        if (wormCount == 2) total += worms[1].score;
        DrawNumber(dc, total, kTotalBox, TotalColor(total));
    }
    if (oldFont != nullptr) SelectObject(dc, oldFont);
    gBackSurface->ReleaseDC(dc);
}

void CGameScreen::RestoreSurfaces()
{
    if (groundSurface == nullptr || spriteSurface == nullptr) return;
    groundSurface->Restore();
    spriteSurface->Restore();
    ReloadBitmapSurface(groundSurface, "IDB_GROUND");
    ReloadBitmapSurface(spriteSurface, "IDB_HRA");
    SetSurfaceColorKey(spriteSurface, kTransparentColor);
}
