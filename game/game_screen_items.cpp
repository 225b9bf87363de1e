#include "game/game_screen.h"

#include <cmath>
#include <cstdlib>

#include "game/sprite_sheet.h"
#include "platform/crt.h"

namespace {

constexpr double kEatReach = 20.0;      // a head this close to an item on both axes eats it
constexpr std::int32_t kHitReach = 20;  // a head closer than this to a segment on both axes hits it
constexpr std::int32_t kOwnNeck = 6;    // the head and the five segments behind it never hit it
constexpr double kWallLeft = 30.0;
constexpr double kWallTop = 30.0;
constexpr double kWallRight = 610.0;
constexpr double kWallBottom = 450.0;
constexpr std::int32_t kMinSpeed = 4;
constexpr std::int32_t kMaxSpeed = 10;
constexpr std::int32_t kBonusStayBase = 100;
constexpr std::int32_t kBonusStayRange = 50;

// Random draws would go on for ever on a field the bodies leave almost no room in; after
// this many the item goes to the first free point found in a fixed order instead.
constexpr int kRandomPlacementTries = 100;

bool WithinReach(double head, std::int32_t item)
{
    return std::fabs(head - static_cast<double>(item)) <= kEatReach;
}

}  // namespace

std::int32_t CGameScreen::Random(std::int32_t n)
{
    return crt::rand() / (crt::kRandMax / n);
}

bool CGameScreen::IsBlocked(std::int32_t x, std::int32_t y)
{
    bool blocked = false;
    for (std::int32_t i = 0; i < wormCount; ++i) {
        SegmentList& body = worms[i].body;
        for (std::int32_t k = body.GetCount(); k > 0; --k) {
            const Segment segment = body.CycleHeadToTail();
            // The whole walk runs, so the body is back in its order.
            if (std::abs(segment.x - x) <= kItemClearance && std::abs(segment.y - y) <= kItemClearance) blocked = true;
        }
    }
    return blocked;
}

void CGameScreen::PlaceItem(std::int32_t kind)
{
    std::int32_t x = 0;
    std::int32_t y = 0;
    int tries = 0;
    do {
        x = Random(kItemRangeX) + kItemMinX;
        y = Random(kItemRangeY) + kItemMinY;
    } while (IsBlocked(x, y) && ++tries < kRandomPlacementTries);
    if (tries == kRandomPlacementTries) {
        // With no free point at all, the item stays where it was drawn last.
        std::int32_t freeX = 0;
        std::int32_t freeY = 0;
        if (freePoints.FindFirstFree(worms, wormCount, &freeX, &freeY)) {
            x = freeX;
            y = freeY;
        }
    }
    if (kind == 1) {
        do {
            bonusKind = Random(3) - 1;
        } while (bonusKind == 0);
        bonusX = x;
        bonusY = y;
        bonusTimer = Random(kBonusStayRange) + kBonusStayBase;
        bonusSourceRect = bonusKind == -1 ? kSlowerBonusCell : kFasterBonusCell;
    } else {
        foodX = x;
        foodY = y;
    }
}

void CGameScreen::EatItems()
{
    for (std::int32_t i = 0; i < wormCount; ++i) {
        WormRecord& worm = worms[i];
        if (WithinReach(worm.headX, foodX) && WithinReach(worm.headY, foodY)) {
            // The new segments wait on the tail's point until the moves pull them out.
            const Segment last = worm.body.GetTail();
            for (std::int32_t k = 0; k < growthPerFood; ++k) worm.body.AddTail(last);
            worm.score += 1;
            PlaceItem(0);
        }
        if (WithinReach(worm.headX, bonusX) && WithinReach(worm.headY, bonusY)) {
            worm.speed += bonusKind;
            if (worm.speed > kMaxSpeed) worm.speed = kMaxSpeed;
            else if (worm.speed < kMinSpeed) worm.speed = kMinSpeed;
            PlaceItem(1);
        }
    }
    bonusTimer -= 1;
    if (bonusTimer < 0) PlaceItem(1);
}

bool CGameScreen::CrashesInto(WormRecord& worm, std::int32_t firstTested, std::int32_t x, std::int32_t y)
{
    bool hit = false;
    SegmentList& body = worm.body;
    const std::int32_t count = body.GetCount();
    for (std::int32_t k = 0; k < count; ++k) {
        const Segment segment = body.CycleHeadToTail();
        if (k >= firstTested && std::abs(segment.x - x) < kHitReach && std::abs(segment.y - y) < kHitReach) hit = true;
    }
    return hit;
}

void CGameScreen::Crash(std::int32_t i)
{
    running = false;
    if (worms[i].crashTicks == 0) worms[1 - i].wins += 1;
    worms[i].crashTicks = 1;
}

void CGameScreen::CheckCollisions()
{
    for (std::int32_t i = 0; i < wormCount; ++i) {
        WormRecord& worm = worms[i];
        const std::int32_t other = 1 - i;
        if (worm.headX < kWallLeft || worm.headY < kWallTop || worm.headX > kWallRight || worm.headY > kWallBottom)
            Crash(i);
        // The head segment is the first of the body: its truncated point is what bodies hit.
        const Segment head = worm.body.GetHead();
        if (CrashesInto(worm, kOwnNeck, head.x, head.y)) Crash(i);
        if (wormCount > 1 && CrashesInto(worms[other], 0, head.x, head.y)) Crash(i);
    }
}
