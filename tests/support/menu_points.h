#pragma once

#include "platform/windows.h"

// Middles of the buttons, and a point on no button of either screen.
constexpr POINT kSingle{320, 160};
constexpr POINT kPair{320, 200};
constexpr POINT kMatch{320, 240};
constexpr POINT kAbout{320, 280};
constexpr POINT kExit{320, 320};
constexpr POINT kBack{320, 425};
constexpr POINT kNowhere{100, 400};
