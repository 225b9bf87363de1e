#include "platform/internal.h"

void OutputDebugStringA(const char* text)
{
    if (text == nullptr) return;
    SDL_LogDebug(SDL_LOG_CATEGORY_APPLICATION, "%s", text);
}
