#include "game/keyboard_device.h"

#include <cstring>

CKeyboardDevice::CKeyboardDevice() : device(nullptr), acquired(0)
{
    std::memset(keyState, 0, sizeof keyState);
}

CKeyboardDevice::~CKeyboardDevice()
{
    Shutdown();
}

void CKeyboardDevice::Create(IDirectInputA** directInput, HWND window)
{
    if (directInput == nullptr || *directInput == nullptr) return;
    IDirectInputDeviceA* first = nullptr;
    if ((*directInput)->CreateDevice(GUID_SysKeyboard, &first, nullptr) != DI_OK) return;
    HRESULT query = first->QueryInterface(IID_IDirectInputDevice2A, reinterpret_cast<void**>(&device));
    first->Release();
    if (query != 0) {
        device = nullptr;
        return;
    }
    device->SetDataFormat(&c_dfDIKeyboard);
    device->SetCooperativeLevel(window, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND);
    if (device->Acquire() == DI_OK) acquired = 1;
}

void CKeyboardDevice::Poll()
{
    if (acquired == 0) return;
    if (device->GetDeviceState(sizeof keyState, keyState) == DIERR_INPUTLOST) {
        ReleaseLostKeys();
        device->Acquire();
    }
}

// Keys read before the input was lost are not known to be held any more. Kept, they went
// on steering: a worm turned in circles behind another window, and once more on return.
void CKeyboardDevice::ReleaseLostKeys()
{
    std::memset(keyState, 0, sizeof keyState);
}

void CKeyboardDevice::Shutdown()
{
    if (device == nullptr) return;
    device->Unacquire();
    device->Release();
    device = nullptr;
}
