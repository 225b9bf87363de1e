#pragma once

#ifdef _WIN32
#include "platform/windows.h"

// The interfaces of DirectInput 5, as the game asks for them.
#define DIRECTINPUT_VERSION 0x0500
#include <dinput.h>
#else

// The keyboard input object: a stand-in for the DirectInput interfaces the game uses.
// The device's state is a 256-byte table indexed by DirectInput key codes (DIK_...).

#include "platform/windows.h"

struct IUnknown;

constexpr HRESULT DI_OK = 0;
constexpr HRESULT DIERR_INPUTLOST = static_cast<HRESULT>(0x8007001Eu);  // any other failure is E_FAIL here

constexpr DWORD DISCL_NONEXCLUSIVE = 0x2;
constexpr DWORD DISCL_FOREGROUND = 0x4;

// The keys the game reads, by their place on the keyboard.
constexpr unsigned DIK_A = 0x1E;
constexpr unsigned DIK_S = 0x1F;
constexpr unsigned DIK_LEFT = 0xCB;
constexpr unsigned DIK_RIGHT = 0xCD;

extern const GUID GUID_SysKeyboard;
extern const GUID IID_IDirectInputDevice2A;

// The standard keyboard format: 256 one-byte keys.
struct DIDATAFORMAT {
    DWORD dwDataSize;
};
extern const DIDATAFORMAT c_dfDIKeyboard;

class IDirectInputDeviceA {
public:
    virtual HRESULT QueryInterface(const GUID& iid, void** out) = 0;
    virtual ULONG Release() = 0;
    virtual HRESULT Acquire() = 0;
    virtual HRESULT Unacquire() = 0;
    virtual HRESULT GetDeviceState(DWORD size, void* data) = 0;
    virtual HRESULT SetDataFormat(const DIDATAFORMAT* format) = 0;
    virtual HRESULT SetCooperativeLevel(HWND window, DWORD flags) = 0;

protected:
    ~IDirectInputDeviceA() = default;
};

// The second version of the device interface, which the game asks for; what it adds goes unused.
class IDirectInputDevice2A : public IDirectInputDeviceA {
protected:
    ~IDirectInputDevice2A() = default;
};

class IDirectInputA {
public:
    virtual ULONG Release() = 0;
    virtual HRESULT CreateDevice(const GUID& device, IDirectInputDeviceA** out, IUnknown* outer) = 0;

protected:
    ~IDirectInputA() = default;
};

extern "C" HRESULT DirectInputCreateA(HINSTANCE instance, DWORD version, IDirectInputA** out, IUnknown* outer);
#endif  // _WIN32
