#pragma once

#include "app/screen.h"
#include "gfx/sprite_button.h"
#include "platform/ddraw.h"

// The about picture with one button; the button or Esc returns to the menu.
class CAboutScreen : public CScreen {
public:
    CAboutScreen();
    ~CAboutScreen() override;
    CAboutScreen(const CAboutScreen&) = delete;
    CAboutScreen& operator=(const CAboutScreen&) = delete;

    void RestoreSurfaces() override;
    void Tick() override;
    void OnMouseMove(int x, int y) override;
    void OnLButtonUp(int x, int y) override;
    void OnLButtonDown(int x, int y) override;
    void OnKeyDown(UINT key) override;

    // Called when the about screen becomes current: the button is back to its normal look.
    // The cursor stays as the menu left it.
    void Reset();

    CSpriteButton* backButton = nullptr;
    IDirectDrawSurface* background = nullptr;
};
