#pragma once

#include "app/screen.h"
#include "platform/ddraw.h"

// The about picture; Esc returns to the menu.
class CAboutScreen : public CScreen {
public:
    CAboutScreen();
    ~CAboutScreen() override;

    void RestoreSurfaces() override;
    void Tick() override;
    void OnKeyDown(UINT key) override;

    // Called when the about screen becomes current.
    void Reset();

    IDirectDrawSurface* background = nullptr;
};
