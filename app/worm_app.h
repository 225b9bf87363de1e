#pragma once

#include "app/globals.h"
#include "platform/afx.h"

class CWormApp : public CWinApp {
public:
    CWormApp();
    ~CWormApp() override;

    BOOL InitInstance() override;
    BOOL InitDirectDraw();
};
