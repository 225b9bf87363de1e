#include "platform/dinput.h"

#include <cstring>

#include "platform/internal.h"

const GUID GUID_SysKeyboard = {0x6F1D2B61, 0xD5A0, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
const GUID IID_IDirectInputDevice2A = {0x5944E682, 0xC92E, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};

const DIDATAFORMAT c_dfDIKeyboard = {256};  // 256 one-byte keys

namespace {

constexpr DWORD kStateSize = 256;

// Reads the layer's key table; foreground access only, so losing the focus loses the input.
class KeyboardDevice final : public IDirectInputDevice2A {
public:
    // The second version of the interface is the only one asked for.
    HRESULT QueryInterface(const GUID& /*iid*/, void** out) override
    {
        *out = static_cast<IDirectInputDevice2A*>(this);
        ++refs_;
        return DI_OK;
    }
    ULONG Release() override
    {
        if (--refs_ > 0) return refs_;
        delete this;
        return 0;
    }
    HRESULT Acquire() override
    {
        if (!platform::KeyboardState().focus) return E_FAIL;
        acquired_ = true;
        focusLosses_ = platform::KeyboardState().focusLosses;
        return DI_OK;
    }
    HRESULT Unacquire() override
    {
        acquired_ = false;
        return DI_OK;
    }
    // Once the focus has gone, every read says the input was lost until it is acquired again.
    HRESULT GetDeviceState(DWORD size, void* data) override
    {
        if (size != kStateSize || !acquired_) return E_FAIL;
        const platform::Keyboard& keyboard = platform::KeyboardState();
        if (focusLosses_ != keyboard.focusLosses && !keyboard.onlineOnly) return DIERR_INPUTLOST;
        std::memcpy(data, keyboard.keys, kStateSize);
        return DI_OK;
    }
    HRESULT SetDataFormat(const DIDATAFORMAT* format) override
    {
        return format->dwDataSize == kStateSize ? DI_OK : E_FAIL;
    }
    HRESULT SetCooperativeLevel(HWND window, DWORD /*flags*/) override
    {
        return platform::IsValidWindow(window) ? DI_OK : E_FAIL;
    }

private:
    ~KeyboardDevice() = default;
    ULONG refs_ = 1;
    bool acquired_ = false;
    unsigned focusLosses_ = 0;
};

class InputObject final : public IDirectInputA {
public:
    ULONG Release() override
    {
        delete this;
        return 0;
    }
    // The system keyboard is the only device asked for.
    HRESULT CreateDevice(const GUID& /*device*/, IDirectInputDeviceA** out, IUnknown* /*outer*/) override
    {
        *out = nullptr;
        *out = new KeyboardDevice;
        return DI_OK;
    }

private:
    ~InputObject() = default;
};

}  // namespace

HRESULT DirectInputCreateA(HINSTANCE /*instance*/, DWORD /*version*/, IDirectInputA** out, IUnknown* /*outer*/)
{
    *out = nullptr;
    *out = new InputObject;
    return DI_OK;
}
