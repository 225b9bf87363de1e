#pragma once

#include "app/screen.h"
#include "platform/afx.h"
#include "platform/ddraw.h"

// The main menu: the menu picture and the level.
class CMenuScreen : public CScreen {
public:
    CMenuScreen();
    ~CMenuScreen() override;

    void RestoreSurfaces() override;
    void Tick() override;
    void OnKeyDown(UINT key) override;

    // Called when the menu becomes current: the cursor shows.
    void Activate();

    CFont levelFont;
    IDirectDrawSurface* background = nullptr;
};
