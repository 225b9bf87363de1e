#include "app/cursor.h"

#include "platform/winuser.h"

int gCursorCount = 0;

void SetCursorVisible(int show)
{
    if (show == 1) {
        while (gCursorCount < 0) {
            ShowCursor(TRUE);
            ++gCursorCount;
        }
    } else {
        while (gCursorCount >= 0) {
            ShowCursor(FALSE);
            --gCursorCount;
        }
    }
}
