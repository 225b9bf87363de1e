#pragma once

#include "platform/dinput.h"

// The system keyboard, read once per tick as a table of 256 keys (bit 7: down).
class CKeyboardDevice {
public:
    CKeyboardDevice();
    CKeyboardDevice(const CKeyboardDevice&) = delete;
    CKeyboardDevice& operator=(const CKeyboardDevice&) = delete;
    ~CKeyboardDevice();

    void Create(IDirectInputA** directInput, HWND window);
    void Poll();
    void Shutdown();

    bool IsDown(unsigned keyCode) const { return (keyState[keyCode & 0xFF] & 0x80) != 0; }

    IDirectInputDevice2A* device;
    int acquired;
    BYTE keyState[256];

private:
    void ReleaseLostKeys();
};
