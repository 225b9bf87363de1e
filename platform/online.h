#pragma once

// What the online game (net/) reaches of the stand-ins, without SDL: its keys in the key table
// under a holder of its own, the window's timer held back until both players' keys are there,
// the window's messages seen before the window gets them, and the command line's request.

#include "platform/windows.h"

namespace platform {

// A key of the table held down or let go by one of its holders (bits: the keyboard, each pad,
// each finger, the online game); it is down while any holder the game reads holds it.
void HoldKey(unsigned dik, BYTE holder, bool down);
constexpr BYTE kLocalHolders = 0x7F;
constexpr BYTE kOnlineHolder = 0x80;
// Which holders the game reads (all, unless an online round takes the table over); while it is
// only the online game, the table is read whatever the focus, as both sides must read alike.
void ReadKeysOf(BYTE holders);
bool IsHeldBy(unsigned dik, BYTE holders);

struct OnlineHooks {
    // Asked at every turn of the message loop, due is whether the timer would fire now; while
    // it answers false a due tick waits and the loop asks again within a few milliseconds.
    bool (*timerGate)(DWORD nowMs, bool due, bool shown);
    // Sees every message before the window does; true keeps it from the window.
    bool (*messageFilter)(UINT message, WPARAM wParam);
};
void SetOnlineHooks(const OnlineHooks* hooks);
bool HasOnlineHooks();

// --host SERVER or --join LINK from the command line; null when neither was given.
const char* OnlineRequest(bool* host);
void RequestOnline(const char* address, bool host);

// While held, the game's profile is read but never written: a friend plays at the host's level.
void HoldProfile(bool held);

}  // namespace platform
