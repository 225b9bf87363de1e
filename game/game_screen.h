#pragma once

#include <cstdint>

#include "app/screen.h"
#include "game/free_point_grid.h"
#include "game/keyboard_device.h"
#include "game/worm_record.h"
#include "platform/afx.h"
#include "platform/ddraw.h"

// The screen on which rounds are played: the field, the food and the bonus, one or two
// worms, the score line, and the keys that end or replay a round.
class CGameScreen : public CScreen {
public:
    CGameScreen();
    ~CGameScreen() override;

    void RestoreSurfaces() override;
    void Tick() override;
    void OnKeyDown(UINT key) override;

    void StartRound(std::int32_t wormCount, bool matchMode);
    // Makes the screen ready to be shown: the cursor goes.
    void Activate();
    void EndRound();
    void RestartMatch();

    // The steps of a tick, in the order Tick takes them; open so that the rules can be
    // stepped one at a time.
    void Steer(std::int32_t i);
    void UpdateVelocity(std::int32_t i);
    void ReadTurnKeys();
    void MoveWorms();
    void EatItems();
    void Render();
    void CheckCollisions();
    void PlaceItem(std::int32_t kind);
    // The game's one source of chance: 0 to 32767 / (32767 / n), which can exceed n - 1.
    static std::int32_t Random(std::int32_t n);

    IDirectDrawSurface* groundSurface = nullptr;
    IDirectDrawSurface* spriteSurface = nullptr;
    std::int32_t bonusX = 0;
    std::int32_t bonusY = 0;
    std::int32_t bonusKind = 0;
    RECT bonusSourceRect{0, 0, 0, 0};
    std::int32_t bonusTimer = 0;
    std::int32_t foodX = 0;
    std::int32_t foodY = 0;
    WormRecord worms[2];
    CFont scoreFont;
    // Neutral until the first round: no worm in play, nothing running.
    std::int32_t wormCount = 0;
    std::int32_t growthPerFood = 0;
    bool running = false;
    bool matchMode = false;
    CKeyboardDevice keyboard;

private:
    void MoveWorm(WormRecord& worm);
    bool CrashesInto(WormRecord& worm, std::int32_t firstTested, std::int32_t x, std::int32_t y);
    void Crash(std::int32_t i);
    bool IsBlocked(std::int32_t x, std::int32_t y);
    void DrawSprite(std::int32_t centreX, std::int32_t centreY, RECT source);
    void DrawWorm(WormRecord& worm);
    void DrawScoreLine();
    void PostShowMenu();

    // Once this screen has asked for the menu, the keys still queued behind that request
    // (autorepeat, Esc and Space together) must not end the round or post again.
    bool menuPosted = false;
    // A round that was ended or abandoned has had its say on the level; a screen shown
    // without a new round lets Esc return to the menu and nothing else.
    bool roundClosed = true;
    // Where an item goes when random draws keep landing on the bodies.
    FreePointGrid freePoints;
};
