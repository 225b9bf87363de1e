#pragma once

// Text for a developer watching the program, never shown to the player.
void OutputDebugStringA(const char* text);
