#include "tests/support/game_fixture.h"

#include <ostream>

#include "app/globals.h"
#include "gfx/display.h"
#include "platform/crt.h"

bool operator==(const Segment& a, const Segment& b)
{
    return a.x == b.x && a.y == b.y && a.prevX == b.prevX && a.prevY == b.prevY;
}

void PrintTo(const Segment& s, std::ostream* out)
{
    *out << "(" << s.x << ", " << s.y << ", " << s.prevX << ", " << s.prevY << ")";
}

namespace test {

namespace {
// Random(n) is rand() / (32767 / n): these raw values give exactly the wanted result.
int RawFor(int result, int n)
{
    return result * (crt::kRandMax / n);
}
}  // namespace

std::vector<int> ItemDraw(int x, int y)
{
    return {RawFor(x - kItemMinX, kItemRangeX), RawFor(y - kItemMinY, kItemRangeY)};
}

std::vector<int> BonusDraw(int x, int y, int kind, int stay)
{
    std::vector<int> draws = ItemDraw(x, y);
    draws.push_back(RawFor(kind + 1, 3));
    draws.push_back(RawFor(stay - 100, 50));
    return draws;
}

void RulesFixture::SetUp()
{
    UseHeadlessPlatform();
    platform_test::ResetFaults();
    gLevel = kMinLevel;  // as on a first run
    ASSERT_EQ(DirectDrawCreate(nullptr, &gDirectDraw, nullptr), DD_OK);
    screen_ = std::make_unique<CGameScreen>();
    game = screen_.get();
}

void RulesFixture::TearDown()
{
    screen_.reset();
    if (gDirectDraw != nullptr) gDirectDraw->Release();
    gDirectDraw = nullptr;
}

void GameFixture::SetUp()
{
    ASSERT_TRUE(app.Start());
    game = app.Frame()->gameScreen;
    ASSERT_NE(game, nullptr);
    sprites = Read(game->spriteSurface);
    ground = Read(game->groundSurface);
    ASSERT_EQ(sprites.width, 63);
    ASSERT_EQ(ground.width, 640);
}

int GameFixture::CellMismatches(const platform_test::Frame& frame, int x, int y, int column, int row, int behind) const
{
    int wrong = 0;
    for (int dy = 0; dy < 20; ++dy)
        for (int dx = 0; dx < 20; ++dx) {
            const std::uint16_t cell = sprites.At(column + dx, row + dy);
            const int fx = x - 10 + dx;
            const int fy = y - 10 + dy;
            if (cell == kKey565 && behind == kAnyBehind) continue;
            const std::uint16_t field = behind < 0 ? ground.At(fx, fy) : static_cast<std::uint16_t>(behind);
            wrong += frame.At(fx, fy) != (cell == kKey565 ? field : cell);
        }
    return wrong;
}

void RoundFixture::StartRound(int worms, bool match, POINT bonus, POINT food)
{
    platform_test::ScriptRandom(BonusDraw(bonus.x, bonus.y, 1, 150));
    platform_test::ScriptRandom(ItemDraw(food.x, food.y));
    game->StartRound(worms, match);
    ASSERT_EQ(platform_test::ScriptedRandomLeft(), 0);
}

void RoundFixture::SetBody(int worm, const std::vector<Segment>& segments)
{
    SegmentList& body = game->worms[worm].body;
    while (body.GetCount() > 0) body.RemoveTail();
    for (const Segment& s : segments) body.AddTail(s);
}

std::vector<Segment> RoundFixture::Body(int worm)
{
    std::vector<Segment> segments;
    SegmentList& body = game->worms[worm].body;
    for (int k = body.GetCount(); k > 0; --k) segments.push_back(body.CycleHeadToTail());
    return segments;
}

void RoundFixture::PlaceHead(int worm, double x, double y)
{
    WormRecord& record = game->worms[worm];
    record.headX = x;
    record.headY = y;
    Segment head = record.body.RemoveHead();
    head.x = static_cast<int>(x);
    head.y = static_cast<int>(y);
    record.body.AddHead(head);
}

void GameFixture::Key(unsigned sdlScancode, bool down)
{
    platform_test::PushKey(sdlScancode, down);
    app.Pump();
}

}  // namespace test
