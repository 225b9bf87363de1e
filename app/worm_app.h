#pragma once

#include "platform/afx.h"
#include "platform/dinput.h"

// The difficulty level 1..20, kept between runs.
extern int gLevel;

// Holds the program's input object; releases it when the program ends.
struct DirectInputHolder {
    IDirectInputA* directInput = nullptr;

    void Release()
    {
        if (directInput != nullptr) {
            directInput->Release();
            directInput = nullptr;
        }
    }
    ~DirectInputHolder() { Release(); }
};
// Defined beside the application object, after it, so that it is released before the level is written.
extern DirectInputHolder gDirectInput;

class CWormApp : public CWinApp {
public:
    CWormApp();
    ~CWormApp() override;

    BOOL InitInstance() override;
    BOOL InitDirectDraw();
};
