#pragma once

#include <cstdint>

#include "game/worm_record.h"
#include "platform/crt.h"

// The points where an item may stand: x = 30 + Random(580), y = 30 + Random(420).
constexpr std::int32_t kItemMinX = 30;
constexpr std::int32_t kItemMinY = 30;
constexpr std::int32_t kItemRangeX = 580;  // the Random() arguments
constexpr std::int32_t kItemRangeY = 420;
// Random(n) reaches 32767 / (32767 / n), a little beyond n - 1.
constexpr std::int32_t kItemMaxX = kItemMinX + crt::kRandMax / (crt::kRandMax / kItemRangeX);  // 615
constexpr std::int32_t kItemMaxY = kItemMinY + crt::kRandMax / (crt::kRandMax / kItemRangeY);  // 450
// An item keeps more than this many pixels from every segment on at least one axis.
constexpr std::int32_t kItemClearance = 25;

// Finds a free point for an item without drawing at random: every segment covers a square
// of the item area, counted in a fixed grid, so the search costs one pass over the bodies
// and one over the area however long the worms are, and allocates nothing.
class FreePointGrid {
public:
    // The first free point in reading order (rows top to bottom, each left to right);
    // false when the bodies of the worms in play cover the whole area.
    bool FindFirstFree(WormRecord* worms, std::int32_t wormCount, std::int32_t* x, std::int32_t* y);

private:
    static constexpr std::int32_t kColumns = kItemMaxX - kItemMinX + 1;
    static constexpr std::int32_t kRows = kItemMaxY - kItemMinY + 1;
    static constexpr std::int32_t kStride = kColumns + 1;

    void Cover(const Segment& segment);

    // Differences of the cover counts, then (after summing) the counts themselves.
    std::int32_t cells[(kRows + 1) * kStride];
};
