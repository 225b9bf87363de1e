#pragma once

#include "app/screen.h"
#include "gfx/sprite_button.h"
#include "platform/afx.h"
#include "platform/ddraw.h"

// The main menu: the menu picture, the five buttons that pick a mode, the about screen or
// the end, and the level. Esc ends the program.
class CMenuScreen : public CScreen {
public:
    CMenuScreen();
    ~CMenuScreen() override;
    CMenuScreen(const CMenuScreen&) = delete;
    CMenuScreen& operator=(const CMenuScreen&) = delete;

    void RestoreSurfaces() override;
    void Tick() override;
    void OnMouseMove(int x, int y) override;
    void OnLButtonUp(int x, int y) override;
    void OnLButtonDown(int x, int y) override;
    void OnKeyDown(UINT key) override;

    // Called when the menu becomes current: the cursor shows and every button is back
    // to its normal look.
    void Activate();

    CSpriteButton* singleButton = nullptr;
    CSpriteButton* pairButton = nullptr;
    CSpriteButton* matchButton = nullptr;
    CSpriteButton* aboutButton = nullptr;
    CSpriteButton* exitButton = nullptr;
    CFont levelFont;
    IDirectDrawSurface* background = nullptr;

private:
    void DrawLevel();
};
