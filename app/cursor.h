#pragma once

// Mirrors the system cursor's display count: 0 shown, -1 hidden.
extern int gCursorCount;

// show 1 shows the cursor, any other value hides it; repeated calls change nothing more.
void SetCursorVisible(int show);
