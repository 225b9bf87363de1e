#pragma once

#include "app/screen.h"
#include "game/keyboard_device.h"
#include "platform/afx.h"
#include "platform/ddraw.h"

// The screen on which rounds are played.
class CGameScreen : public CScreen {
public:
    CGameScreen();
    ~CGameScreen() override;

    void RestoreSurfaces() override;
    void Tick() override;
    void OnKeyDown(UINT key) override;

    void StartRound(int wormCount, bool matchMode);
    // Makes the screen ready to be shown: the cursor goes.
    void Activate();

    IDirectDrawSurface* groundSurface = nullptr;
    IDirectDrawSurface* spriteSurface = nullptr;
    CFont scoreFont;
    int wormCount = 0;
    bool running = false;
    bool matchMode = false;
    CKeyboardDevice keyboard;

private:
    void Render();
};
