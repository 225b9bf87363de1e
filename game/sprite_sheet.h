#pragma once

#include <cstdint>

#include "platform/windows.h"

// The layout of the sprite sheet "IDB_HRA": 20 x 20 cells, 21 pixels apart, in three
// columns (head, body, every tenth body cell) and eight rows: one per worm, the items,
// then the five crash frames that both worms share.
constexpr std::int32_t kSpriteCellSize = 20;
constexpr std::int32_t kSpriteCellPitch = 21;
constexpr std::int32_t kHeadColumn = 0;
constexpr std::int32_t kBodyColumn = 1;
constexpr std::int32_t kMarkedColumn = 2;
constexpr std::int32_t kItemRow = 2;
constexpr std::int32_t kLastCrashRow = 7;  // a crashed worm's row steps down to here and stays

// The top of a row, which is what a worm keeps as its sprite row.
constexpr std::int32_t SpriteRowTop(std::int32_t row)
{
    return kSpriteCellPitch * row;
}

// The cell of a column in the row whose top is rowTop.
constexpr RECT SpriteCell(std::int32_t column, std::int32_t rowTop)
{
    const std::int32_t left = kSpriteCellPitch * column;
    return RECT{left, rowTop, left + kSpriteCellSize, rowTop + kSpriteCellSize};
}

constexpr RECT kFoodCell = SpriteCell(0, SpriteRowTop(kItemRow));
constexpr RECT kFasterBonusCell = SpriteCell(1, SpriteRowTop(kItemRow));
constexpr RECT kSlowerBonusCell = SpriteCell(2, SpriteRowTop(kItemRow));
