#pragma once

#include <cstdint>

#include "game/segment_list.h"

// One worm: its body, the exact head position and velocity, its look and its points.
struct WormRecord {
    SegmentList body;    // head segment first
    double headX = 0.0;  // exact head position; the head segment holds it truncated
    double headY = 0.0;
    double dx = 0.0;  // step per tick
    double dy = 0.0;
    std::int32_t spriteRow = 0;   // top row of its cells in the sprite sheet
    std::int32_t direction = 0;   // 0..23, 15 degrees each, clockwise from up
    std::int32_t turn = 0;        // -1 left, 0 straight on, +1 right; applied next tick
    std::int32_t score = 0;       // foods eaten this round
    std::int32_t wins = 0;        // match points
    std::int32_t speed = 0;       // pixels per tick, 4..10
    std::int32_t crashTicks = 0;  // 0 alive; 1 at the crash, then one more each tick
};
