#pragma once

#include "gfx/sprite_button.h"
#include "platform/ddraw.h"

// What the menu and the about screen share: a picture whose top 640 x 480 is the screen,
// with the strips of its buttons below, keyed with magenta.

// Every button is one 150 x 30 frame of a strip that starts at x 0.
constexpr int kButtonWidth = 150;
constexpr int kButtonHeight = 30;

// A button whose hit area, one frame in size, has its top left corner at (left, top).
CSpriteButton* NewStripButton(int left, int top, int stripY);

// The named picture as a keyed surface; when it cannot be had the program is asked to
// close and the result is null.
IDirectDrawSurface* LoadScreenPicture(const char* name);

// Fills a lost picture again; nothing for a picture that never loaded.
void RestoreScreenPicture(IDirectDrawSurface* picture, const char* name);

// Blits the screen part of the picture to the back buffer, again while the device is busy.
// A lost picture is the caller's to restore.
HRESULT DrawScreenPicture(IDirectDrawSurface* picture);
