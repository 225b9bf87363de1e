#include "game/game_screen.h"

#include "game/sprite_sheet.h"

namespace {

constexpr std::int32_t kHeadings = 24;

// The step of one pixel of speed for each heading, 15 degrees apart clockwise from up:
// dx = sin, dy = -cos, with the program's own four-digit sines. No sine is computed.
struct Heading {
    double dx;
    double dy;
};
constexpr Heading kHeadingTable[kHeadings] = {
    {0.0, -1.0}, {0.2588, -0.9659},  {0.5, -0.866},  {0.7071, -0.7071},  {0.866, -0.5},  {0.9659, -0.2588},
    {1.0, 0.0},  {0.9659, 0.2588},   {0.866, 0.5},   {0.7071, 0.7071},   {0.5, 0.866},   {0.2588, 0.9659},
    {0.0, 1.0},  {-0.2588, 0.9659},  {-0.5, 0.866},  {-0.7071, 0.7071},  {-0.866, 0.5},  {-0.9659, 0.2588},
    {-1.0, 0.0}, {-0.9659, -0.2588}, {-0.866, -0.5}, {-0.7071, -0.7071}, {-0.5, -0.866}, {-0.2588, -0.9659},
};

// A zero step is +0.0 whatever the sign of its factors.
double Step(double unit, std::int32_t speed)
{
    const double step = unit * static_cast<double>(speed);
    return step == 0.0 ? 0.0 : step;
}

}  // namespace

void CGameScreen::Steer(std::int32_t i)
{
    WormRecord& worm = worms[i];
    worm.direction += worm.turn;
    if (worm.direction > kHeadings - 1) worm.direction = 0;
    else if (worm.direction < 0) worm.direction = kHeadings - 1;
}

void CGameScreen::UpdateVelocity(std::int32_t i)
{
    WormRecord& worm = worms[i];
    if (worm.direction < 0 || worm.direction >= kHeadings) return;
    const Heading& heading = kHeadingTable[worm.direction];
    worm.dx = Step(heading.dx, worm.speed);
    worm.dy = Step(heading.dy, worm.speed);
}

void CGameScreen::MoveWorms()
{
    for (std::int32_t i = 0; i < wormCount; ++i) {
        WormRecord& worm = worms[i];
        if (worm.crashTicks != 0) {
            // The body stays where it crashed; the row steps through the crash frames.
            worm.crashTicks += 1;
            // The tick after the crash shows the first crash row (3), and so on down to the last.
            const std::int32_t crashRow = worm.crashTicks + 1;
            if (crashRow <= kLastCrashRow) worm.spriteRow = SpriteRowTop(crashRow);
        } else if (running) {
            MoveWorm(worm);
        }
    }
}

// One forward walk: the head takes the new truncated position, and every other segment
// the point that the segment ahead of it kept as where it was.
void CGameScreen::MoveWorm(WormRecord& worm)
{
    SegmentList& body = worm.body;
    const std::int32_t others = body.GetCount() - 1;
    Segment ahead = body.RemoveHead();
    worm.headX += worm.dx;
    worm.headY += worm.dy;
    const auto x = static_cast<std::int32_t>(worm.headX);  // towards zero, not rounded
    const auto y = static_cast<std::int32_t>(worm.headY);
    body.AddTail(Segment{x, y, ahead.x, ahead.y});
    for (std::int32_t k = 0; k < others; ++k) {
        const Segment segment = body.RemoveHead();
        body.AddTail(Segment{ahead.prevX, ahead.prevY, segment.x, segment.y});
        ahead = segment;
    }
}
