#include "gfx/display.h"

IDirectDraw* gDirectDraw = nullptr;
IDirectDrawSurface* gPrimarySurface = nullptr;
IDirectDrawSurface* gBackSurface = nullptr;
