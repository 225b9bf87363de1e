// The table of keys the keyboard device reads: each key down while any of its holders the game
// reads holds it (the keyboard, each pad and finger, the online game).
#include <cstring>

#include "platform/internal.h"
#include "platform/online.h"

namespace {

// Who holds each key down, indexed by DirectInput key code, one bit a holder.
BYTE gKeyHolders[256] = {};
BYTE gReadHolders = 0xFF;

platform::Keyboard& TheKeyboard()
{
    static platform::Keyboard keyboard{};
    return keyboard;
}

}  // namespace

namespace platform {

const Keyboard& KeyboardState()
{
    return TheKeyboard();
}

Keyboard& WindowKeyboard()
{
    return TheKeyboard();
}

void ClearKeyTable()
{
    std::memset(TheKeyboard().keys, 0, sizeof TheKeyboard().keys);
    std::memset(gKeyHolders, 0, sizeof gKeyHolders);
}

void HoldKey(unsigned dik, BYTE holder, bool down)
{
    if (dik >= 256) return;
    gKeyHolders[dik] = static_cast<BYTE>(down ? gKeyHolders[dik] | holder : gKeyHolders[dik] & ~holder);
    TheKeyboard().keys[dik] = (gKeyHolders[dik] & gReadHolders) != 0 ? 0x80 : 0x00;
}

void ReadKeysOf(BYTE holders)
{
    gReadHolders = holders;
    TheKeyboard().onlineOnly = holders == kOnlineHolder;
    for (unsigned dik = 0; dik < 256; ++dik) TheKeyboard().keys[dik] = (gKeyHolders[dik] & holders) != 0 ? 0x80 : 0x00;
}

bool IsHeldBy(unsigned dik, BYTE holders)
{
    return dik < 256 && (gKeyHolders[dik] & holders) != 0;
}

}  // namespace platform
