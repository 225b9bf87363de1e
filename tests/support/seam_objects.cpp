// The display device, its surfaces and the keyboard input as the tests see them: each object
// the platform makes is handed out inside one of these, which can fail a step, be busy or lost,
// trace its release and count flips, and otherwise passes every call on.
#include <cstring>

#include "platform/afx.h"
#include "platform/ddraw.h"
#include "platform/dinput.h"
#include "platform/gdi.h"
#include "tests/support/seams.h"

using platform_test::Fault;
using test::ShouldFail;

namespace {

class SeamSurface;
SeamSurface* gPrimary = nullptr;  // the display's primary surface, while there is one
int gFlips = 0;

class SeamSurface final : public IDirectDrawSurface {
public:
    SeamSurface(IDirectDrawSurface* real, bool primary) : real(real), primary(primary)
    {
        if (primary) gPrimary = this;
    }
    ULONG Release() override
    {
        if (primary) test::TraceCall("PrimarySurface.Release");
        if (gPrimary == this) gPrimary = nullptr;
        delete back;  // it goes with its primary
        real->Release();
        delete this;
        return 0;
    }
    HRESULT BltFast(DWORD x, DWORD y, IDirectDrawSurface* source, RECT* rect, DWORD flags) override
    {
        auto* from = static_cast<SeamSurface*>(source);
        HRESULT hr = Usable();
        if (hr == DD_OK && from != this) hr = from->Usable();
        return hr != DD_OK ? hr : real->BltFast(x, y, from->real, rect, flags);
    }
    HRESULT Flip(IDirectDrawSurface*, DWORD flags) override
    {
        if (back != nullptr && back->lost) return DDERR_SURFACELOST;
        HRESULT hr = Usable();
        if (hr == DD_OK) hr = real->Flip(nullptr, flags);
        if (hr == DD_OK) ++gFlips;
        return hr;
    }
    HRESULT GetAttachedSurface(DDSCAPS* caps, IDirectDrawSurface** attached) override
    {
        *attached = nullptr;
        IDirectDrawSurface* found = nullptr;
        if (ShouldFail(Fault::GetAttachedSurface)) return E_FAIL;
        const HRESULT hr = real->GetAttachedSurface(caps, &found);
        if (hr == DD_OK && back == nullptr) back = new SeamSurface(found, false);
        if (hr == DD_OK) *attached = back;
        return hr;
    }
    HRESULT GetDC(HDC* dc) override
    {
        *dc = nullptr;
        if (lost) return DDERR_SURFACELOST;
        return ShouldFail(Fault::GetDC) ? E_FAIL : real->GetDC(dc);
    }
    HRESULT GetSurfaceDesc(DDSURFACEDESC* desc) override { return real->GetSurfaceDesc(desc); }
    HRESULT Lock(RECT* rect, DDSURFACEDESC* desc, DWORD flags, HANDLE event) override
    {
        HRESULT hr = Usable();
        if (hr == DD_OK && ShouldFail(Fault::Lock)) hr = E_FAIL;
        return hr != DD_OK ? hr : real->Lock(rect, desc, flags, event);
    }
    HRESULT ReleaseDC(HDC dc) override { return real->ReleaseDC(dc); }
    // Lost memory comes back blank; its owner must fill it again.
    HRESULT Restore() override
    {
        for (SeamSurface* s : {this, back})
            if (s != nullptr && s->lost) s->Blank();
        return real->Restore();
    }
    HRESULT SetColorKey(DWORD flags, DDCOLORKEY* key) override { return real->SetColorKey(flags, key); }
    HRESULT Unlock(void* data) override { return real->Unlock(data); }

    // Lost, or busy for as many calls as a test asked.
    HRESULT Usable()
    {
        if (lost) return DDERR_SURFACELOST;
        if (busyCalls == 0) return DD_OK;
        --busyCalls;
        return DDERR_WASSTILLDRAWING;
    }
    void MarkLost()
    {
        lost = true;
        if (back != nullptr) back->lost = true;
    }
    void Blank()
    {
        lost = false;
        DDSURFACEDESC desc{};
        if (real->Lock(nullptr, &desc, 0, nullptr) != DD_OK) return;
        for (DWORD y = 0; y < desc.dwHeight; ++y)
            std::memset(static_cast<char*>(desc.lpSurface) + y * desc.lPitch, 0, desc.dwWidth * 2);
        real->Unlock(nullptr);
    }

    IDirectDrawSurface* real;
    bool primary;
    SeamSurface* back = nullptr;
    bool lost = false;
    int busyCalls = 0;
};

class SeamDevice final : public IDirectDraw {
public:
    explicit SeamDevice(IDirectDraw* real) : real_(real) {}
    ULONG Release() override
    {
        test::TraceCall("DirectDraw.Release");
        real_->Release();
        delete this;
        return 0;
    }
    HRESULT CreateSurface(DDSURFACEDESC* desc, IDirectDrawSurface** surface, IUnknown* outer) override
    {
        *surface = nullptr;
        const bool primary = (desc->ddsCaps.dwCaps & DDSCAPS_PRIMARYSURFACE) != 0;
        if (ShouldFail(primary ? Fault::CreatePrimarySurface : Fault::CreateOffscreenSurface)) return E_FAIL;
        IDirectDrawSurface* made = nullptr;
        const HRESULT hr = real_->CreateSurface(desc, &made, outer);
        if (hr == DD_OK) *surface = new SeamSurface(made, primary);
        return hr;
    }
    HRESULT SetCooperativeLevel(HWND window, DWORD flags) override
    {
        return ShouldFail(Fault::SetCooperativeLevel) ? E_FAIL : real_->SetCooperativeLevel(window, flags);
    }
    HRESULT SetDisplayMode(DWORD width, DWORD height, DWORD bits) override
    {
        return ShouldFail(Fault::SetDisplayMode) ? E_FAIL : real_->SetDisplayMode(width, height, bits);
    }

private:
    ~SeamDevice() = default;
    IDirectDraw* real_;
};

class SeamKeyboard final : public IDirectInputDevice2A {
public:
    explicit SeamKeyboard(IDirectInputDeviceA* real) : real_(real) {}
    HRESULT QueryInterface(const GUID& iid, void** out) override
    {
        void* asked = nullptr;
        const HRESULT hr = real_->QueryInterface(iid, &asked);
        *out = hr == DI_OK ? static_cast<IDirectInputDevice2A*>(this) : nullptr;
        if (hr == DI_OK) ++refs_;
        return hr;
    }
    ULONG Release() override
    {
        real_->Release();
        if (--refs_ > 0) return refs_;
        delete this;
        return 0;
    }
    HRESULT Acquire() override { return ShouldFail(Fault::Acquire) ? E_FAIL : real_->Acquire(); }
    HRESULT Unacquire() override { return real_->Unacquire(); }
    HRESULT GetDeviceState(DWORD size, void* data) override { return real_->GetDeviceState(size, data); }
    HRESULT SetDataFormat(const DIDATAFORMAT* format) override { return real_->SetDataFormat(format); }
    HRESULT SetCooperativeLevel(HWND window, DWORD flags) override { return real_->SetCooperativeLevel(window, flags); }

private:
    ~SeamKeyboard() = default;
    IDirectInputDeviceA* real_;
    ULONG refs_ = 1;
};

class SeamInput final : public IDirectInputA {
public:
    explicit SeamInput(IDirectInputA* real) : real_(real) {}
    ULONG Release() override
    {
        test::TraceCall("DirectInput.Release");
        real_->Release();
        delete this;
        return 0;
    }
    HRESULT CreateDevice(const GUID& device, IDirectInputDeviceA** out, IUnknown* outer) override
    {
        *out = nullptr;
        IDirectInputDeviceA* made = nullptr;
        if (ShouldFail(Fault::CreateDevice)) return E_FAIL;
        const HRESULT hr = real_->CreateDevice(device, &made, outer);
        if (hr == DI_OK) *out = new SeamKeyboard(made);
        return hr;
    }

private:
    ~SeamInput() = default;
    IDirectInputA* real_;
};

}  // namespace

extern "C" {
HRESULT __real_DirectDrawCreate(GUID* driver, IDirectDraw** device, IUnknown* outer);
HRESULT __real_DirectInputCreateA(HINSTANCE instance, DWORD version, IDirectInputA** out, IUnknown* outer);
HDC __real_CreateCompatibleDC(HDC reference);
BOOL __real__ZN7CWinApp15WriteProfileIntEPKcS1_i(CWinApp* app, const char* section, const char* entry, int value);

HRESULT __wrap_DirectDrawCreate(GUID* driver, IDirectDraw** device, IUnknown* outer)
{
    *device = nullptr;
    IDirectDraw* made = nullptr;
    if (ShouldFail(Fault::DirectDrawCreate)) return E_FAIL;
    const HRESULT hr = __real_DirectDrawCreate(driver, &made, outer);
    if (hr == DD_OK) *device = new SeamDevice(made);
    return hr;
}

HRESULT __wrap_DirectInputCreateA(HINSTANCE instance, DWORD version, IDirectInputA** out, IUnknown* outer)
{
    *out = nullptr;
    IDirectInputA* made = nullptr;
    if (ShouldFail(Fault::DirectInputCreate)) return E_FAIL;
    const HRESULT hr = __real_DirectInputCreateA(instance, version, &made, outer);
    if (hr == DI_OK) *out = new SeamInput(made);
    return hr;
}

HDC __wrap_CreateCompatibleDC(HDC reference)
{
    return ShouldFail(Fault::CreateCompatibleDC) ? nullptr : __real_CreateCompatibleDC(reference);
}

// CWinApp::WriteProfileInt
BOOL __wrap__ZN7CWinApp15WriteProfileIntEPKcS1_i(CWinApp* app, const char* section, const char* entry, int value)
{
    test::TraceCall("WriteProfileInt");
    return __real__ZN7CWinApp15WriteProfileIntEPKcS1_i(app, section, entry, value);
}
}

namespace platform_test {

void MarkSurfaceLost(IDirectDrawSurface* surface)
{
    static_cast<SeamSurface*>(surface)->MarkLost();
}

void SetSurfaceBusy(IDirectDrawSurface* surface, int calls)
{
    static_cast<SeamSurface*>(surface)->busyCalls = calls;
}

Frame PresentedFrame()
{
    DDSURFACEDESC desc{};
    if (gPrimary == nullptr || gPrimary->real->Lock(nullptr, &desc, 0, nullptr) != DD_OK) return Frame{};
    Frame frame{static_cast<int>(desc.dwWidth), static_cast<int>(desc.dwHeight), {}};
    frame.pixels.resize(static_cast<size_t>(frame.width) * frame.height);
    for (int y = 0; y < frame.height; ++y)
        std::memcpy(&frame.pixels[static_cast<size_t>(y) * frame.width],
                    static_cast<const char*>(desc.lpSurface) + y * desc.lPitch, static_cast<size_t>(frame.width) * 2);
    gPrimary->real->Unlock(nullptr);
    return frame;
}

int PresentCount()
{
    return gFlips;
}

}  // namespace platform_test
