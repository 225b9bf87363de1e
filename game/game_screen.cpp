#include "game/game_screen.h"

#include "app/cursor.h"
#include "app/globals.h"
#include "app/screen.h"
#include "game/sprite_sheet.h"
#include "gfx/bitmap_surface.h"
#include "gfx/display.h"

namespace {
constexpr std::int32_t kStartSegments = 6;
constexpr std::int32_t kStartSpeed = 7;
// The round's total that lowers the level when below it, and raises it when above.
constexpr std::int32_t kLowerBelow = 10;
constexpr std::int32_t kRaiseAbove = 15;
}  // namespace

CGameScreen::CGameScreen()
{
    groundSurface = LoadBitmapSurface(gDirectDraw, "IDB_GROUND", 0, 0);
    spriteSurface = LoadBitmapSurface(gDirectDraw, "IDB_HRA", 0, 0);
    if (groundSurface == nullptr || spriteSurface == nullptr) SendMessageA(MainWindow(), WM_QUIT, 0, 0);
    if (spriteSurface != nullptr) SetSurfaceColorKey(spriteSurface, kTransparentColor);
    scoreFont.Attach(CreateFontA(15, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                 CLIP_DEFAULT_PRECIS, PROOF_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "Verdana"));
    keyboard.Create(&gDirectInput.directInput, MainWindow());
}

CGameScreen::~CGameScreen()
{
    scoreFont.DeleteObject();
    if (groundSurface != nullptr) {
        groundSurface->Release();
        groundSurface = nullptr;
    }
    if (spriteSurface != nullptr) {
        spriteSurface->Release();
        spriteSurface = nullptr;
    }
    keyboard.Shutdown();
    // The bodies give back their blocks as the worm records go.
}

void CGameScreen::StartRound(std::int32_t count, bool match)
{
    for (std::int32_t i = 0; i < count; ++i) {
        WormRecord& worm = worms[i];
        while (worm.body.GetCount() > 0) worm.body.RemoveTail();
        worm.spriteRow = SpriteRowTop(i);
        worm.score = 0;
        worm.wins = 0;
        worm.headX = 400.0 - 200.0 * i;
        worm.headY = 400.0;
        worm.direction = 0;
        worm.dx = 0.0;
        worm.dy = -1.0;
        worm.turn = 0;
        worm.speed = kStartSpeed;
        worm.crashTicks = 0;
        const auto x = static_cast<std::int32_t>(worm.headX);
        const auto y = static_cast<std::int32_t>(worm.headY);
        for (std::int32_t k = 0; k < kStartSegments; ++k) worm.body.AddTail(Segment{x, y, x, y});
    }
    wormCount = count;
    growthPerFood = (count == 2 && gLevel != 1) ? gLevel - 1 : gLevel;
    running = true;
    matchMode = match;
    roundClosed = false;
    PlaceItem(1);
    PlaceItem(0);
}

void CGameScreen::Activate()
{
    SetCursorVisible(0);
    menuPosted = false;
}

void CGameScreen::Tick()
{
    if (running) {
        for (std::int32_t i = 0; i < wormCount; ++i) {
            Steer(i);
            UpdateVelocity(i);
        }
    }
    ReadTurnKeys();
    MoveWorms();
    if (running) EatItems();
    Render();
    if (running) CheckCollisions();
}

void CGameScreen::ReadTurnKeys()
{
    keyboard.Poll();
    // Left is asked first, so with both keys down the worm turns left.
    worms[0].turn = keyboard.IsDown(DIK_LEFT) ? -1 : (keyboard.IsDown(DIK_RIGHT) ? 1 : 0);
    worms[1].turn = keyboard.IsDown(DIK_A) ? -1 : (keyboard.IsDown(DIK_S) ? 1 : 0);
}

void CGameScreen::OnKeyDown(UINT key)
{
    if (menuPosted) return;
    if (roundClosed) {
        if (key == VK_ESCAPE) PostShowMenu();
        return;
    }
    if (key == VK_ESCAPE) {
        if (running) {
            // Leaving a running round abandons it: the level stays as it was.
            roundClosed = true;
            PostShowMenu();
        } else {
            EndRound();
        }
    } else if (key == VK_SPACE && !running) {
        if (matchMode) RestartMatch();
        else EndRound();
    }
}

void CGameScreen::EndRound()
{
    roundClosed = true;
    if (!matchMode) {
        std::int32_t total = worms[0].score;
        if (wormCount == 2) total += worms[1].score;
        const int before = gLevel;
        if (total < kLowerBelow && gLevel > kMinLevel) gLevel -= 1;
        if (total > kRaiseAbove && gLevel < kMaxLevel) gLevel += 1;
        // Saved now, not only at exit: a kill, a crash or a closed browser tab runs no exit.
        CWinApp* app = AfxGetApp();
        if (gLevel != before && app != nullptr) app->WriteProfileInt("Nastaveni", "level", gLevel);
    }
    PostShowMenu();
}

void CGameScreen::RestartMatch()
{
    const std::int32_t wins0 = worms[0].wins;
    const std::int32_t wins1 = worms[1].wins;
    StartRound(2, false);
    worms[0].wins = wins0;
    worms[1].wins = wins1;
    matchMode = true;
}

void CGameScreen::PostShowMenu()
{
    menuPosted = true;
    PostMessageA(MainWindow(), UM_SHOW_MENU, 0, 0);
}
