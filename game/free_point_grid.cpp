#include "game/free_point_grid.h"

#include <algorithm>
#include <cstring>

void FreePointGrid::Cover(const Segment& segment)
{
    const std::int32_t left = std::max(segment.x - kItemClearance, kItemMinX) - kItemMinX;
    const std::int32_t right = std::min(segment.x + kItemClearance, kItemMaxX) - kItemMinX;
    const std::int32_t top = std::max(segment.y - kItemClearance, kItemMinY) - kItemMinY;
    const std::int32_t bottom = std::min(segment.y + kItemClearance, kItemMaxY) - kItemMinY;
    if (left > right || top > bottom) return;
    cells[top * kStride + left] += 1;
    cells[top * kStride + right + 1] -= 1;
    cells[(bottom + 1) * kStride + left] -= 1;
    cells[(bottom + 1) * kStride + right + 1] += 1;
}

bool FreePointGrid::FindFirstFree(WormRecord* worms, std::int32_t wormCount, std::int32_t* x, std::int32_t* y)
{
    std::memset(cells, 0, sizeof cells);
    for (std::int32_t i = 0; i < wormCount; ++i) {
        SegmentList& body = worms[i].body;
        for (std::int32_t k = body.GetCount(); k > 0; --k) Cover(body.CycleHeadToTail());
    }
    // Summing the differences along rows and then down columns gives each point's count.
    for (std::int32_t row = 0; row < kRows; ++row) {
        std::int32_t* line = &cells[row * kStride];
        for (std::int32_t column = 1; column < kColumns; ++column) line[column] += line[column - 1];
        if (row > 0)
            for (std::int32_t column = 0; column < kColumns; ++column) line[column] += line[column - kStride];
        for (std::int32_t column = 0; column < kColumns; ++column) {
            if (line[column] == 0) {
                *x = kItemMinX + column;
                *y = kItemMinY + row;
                return true;
            }
        }
    }
    return false;
}
