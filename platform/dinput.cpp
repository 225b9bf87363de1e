#include "platform/dinput.h"

#include <cstring>

#include "platform/internal.h"

const GUID GUID_SysKeyboard = {0x6F1D2B61, 0xD5A0, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
const GUID IID_IDirectInputDeviceA = {0x5944E680, 0xC92E, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
const GUID IID_IDirectInputDevice2A = {0x5944E682, 0xC92E, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};

const DIDATAFORMAT c_dfDIKeyboard = {sizeof(DIDATAFORMAT), 16, 0x2, 256, 256};

namespace {

constexpr DWORD kKeyboardStateSize = 256;

class KeyboardDevice final : public IDirectInputDevice2A {
public:
    HRESULT QueryInterface(const GUID& iid, void** out) override
    {
        if (out == nullptr) return DIERR_INVALIDPARAM;
        *out = nullptr;
        if (!(iid == IID_IDirectInputDeviceA) && !(iid == IID_IDirectInputDevice2A)) return DIERR_NOINTERFACE;
        *out = static_cast<IDirectInputDevice2A*>(this);
        AddRef();
        return DI_OK;
    }
    ULONG AddRef() override { return ++refs_; }
    ULONG Release() override
    {
        if (--refs_ > 0) return refs_;
        delete this;
        return 0;
    }
    HRESULT SetDataFormat(const DIDATAFORMAT* format) override
    {
        if (acquired_) return DIERR_GENERIC;
        if (format == nullptr || format->dwDataSize != kKeyboardStateSize) return DIERR_INVALIDPARAM;
        formatSet_ = true;
        return DI_OK;
    }
    HRESULT SetCooperativeLevel(HWND window, DWORD flags) override
    {
        if (!platform::IsValidWindow(window)) return DIERR_INVALIDPARAM;
        if ((flags & (DISCL_FOREGROUND | DISCL_BACKGROUND)) == 0) return DIERR_INVALIDPARAM;
        foregroundOnly_ = (flags & DISCL_FOREGROUND) != 0;
        return DI_OK;
    }
    HRESULT Acquire() override
    {
        if (!formatSet_) return DIERR_INVALIDPARAM;
        if (platform::ShouldFail(platform_test::Fault::Acquire)) return DIERR_OTHERAPPHASPRIO;
        // Foreground access: only the window that has the keyboard may take it.
        if (foregroundOnly_ && !platform::WindowHasFocus()) return DIERR_OTHERAPPHASPRIO;
        if (acquired_ && !lost_ && focusLosses_ == platform::FocusLossCount()) return DI_NOEFFECT;
        focusLosses_ = platform::FocusLossCount();
        acquired_ = true;
        lost_ = false;
        return DI_OK;
    }
    HRESULT Unacquire() override
    {
        if (!acquired_) return DI_NOEFFECT;
        acquired_ = false;
        lost_ = false;
        return DI_OK;
    }
    HRESULT GetDeviceState(DWORD size, void* data) override
    {
        if (data == nullptr || size != kKeyboardStateSize) return DIERR_INVALIDPARAM;
        if (acquired_ && focusLosses_ != platform::FocusLossCount()) {
            acquired_ = false;
            lost_ = true;
        }
        // Until it is acquired again, every read says the input was lost, so each poll retries.
        if (lost_) return DIERR_INPUTLOST;
        if (!acquired_) return DIERR_NOTACQUIRED;
        std::memcpy(data, platform::KeyTable(), kKeyboardStateSize);
        return DI_OK;
    }

private:
    ~KeyboardDevice() = default;
    ULONG refs_ = 1;
    bool formatSet_ = false;
    bool foregroundOnly_ = true;
    bool acquired_ = false;
    bool lost_ = false;
    unsigned focusLosses_ = 0;
};

class InputObject final : public IDirectInputA {
public:
    HRESULT CreateDevice(const GUID& device, IDirectInputDeviceA** out, void* outer) override
    {
        if (out == nullptr || outer != nullptr) return DIERR_INVALIDPARAM;
        *out = nullptr;
        if (!(device == GUID_SysKeyboard)) return DIERR_DEVICENOTREG;
        if (platform::ShouldFail(platform_test::Fault::CreateDevice)) return DIERR_GENERIC;
        *out = new KeyboardDevice;
        return DI_OK;
    }
    ULONG AddRef() override { return ++refs_; }
    ULONG Release() override
    {
        if (--refs_ > 0) return refs_;
        platform::TraceCall("DirectInput.Release");
        delete this;
        return 0;
    }

private:
    ~InputObject() = default;
    ULONG refs_ = 1;
};

}  // namespace

HRESULT DirectInputCreateA(HINSTANCE /*instance*/, DWORD version, IDirectInputA** out, void* outer)
{
    if (out == nullptr || outer != nullptr) return DIERR_INVALIDPARAM;
    *out = nullptr;
    if (version < 0x0300) return DIERR_INVALIDPARAM;
    if (platform::ShouldFail(platform_test::Fault::DirectInputCreate)) return DIERR_GENERIC;
    *out = new InputObject;
    return DI_OK;
}
