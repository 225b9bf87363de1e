#pragma once

#ifdef _WIN32
#include "platform/windows.h"
#else

// Text for a developer watching the program, never shown to the player.
void OutputDebugStringA(const char* text);
#endif  // _WIN32
