// The rules of a round stepped tick by tick: movement, steering keys, collisions, food and
// bonus; on a game screen of their own where no key or window takes part, else on the real
// program's.

#include <SDL.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "app/worm_app.h"
#include "platform/crt.h"
#include "tests/support/allocation_counter.h"
#include "tests/support/game_fixture.h"

namespace {

using platform_test::Fault;
using test::BonusDraw;
using test::ItemDraw;

std::vector<Segment> Repeat(Segment s, int n)
{
    return std::vector<Segment>(static_cast<size_t>(n), s);
}

// ---- setting up a round

class StartRoundTest : public test::RulesFixture {};

TEST_F(StartRoundTest, WormsStartStackedOnTheirPointsAndAOneWormRoundLeavesTheSecondAlone)
{
    StartRound(2, false);
    for (int i = 0; i < 2; ++i) {
        const WormRecord& worm = game->worms[i];
        const int x = 400 - 200 * i;
        EXPECT_EQ(Body(i), Repeat(Segment{x, 400, x, 400}, 6));
        EXPECT_EQ(worm.headX, x);
        EXPECT_EQ(worm.headY, 400.0);
        EXPECT_EQ(worm.speed, 7);
        EXPECT_EQ(worm.spriteRow, 21 * i);
        EXPECT_EQ(worm.direction + worm.score + worm.wins + worm.turn + worm.crashTicks, 0);
    }
    EXPECT_TRUE(game->running);

    // A long body gives its blocks back when the next round empties it.
    SetBody(0, Repeat(Segment{1, 2, 3, 4}, 25));
    EXPECT_EQ(game->worms[0].body.BlockCount(), 3);
    game->worms[1].wins = 3;
    game->worms[1].score = 8;
    SetBody(1, {Segment{9, 9, 9, 9}});
    StartRound(1, false);
    EXPECT_EQ(game->worms[0].body.BlockCount(), 1);
    EXPECT_EQ(game->wormCount, 1);
    EXPECT_EQ(game->worms[1].wins, 3);
    EXPECT_EQ(game->worms[1].score, 8);
    EXPECT_EQ(Body(1), std::vector<Segment>{(Segment{9, 9, 9, 9})});
}

TEST_F(StartRoundTest, GrowthPerFoodIsTheLevelOrOneLessForTwoWorms)
{
    const struct {
        int level, one, two;
    } cases[] = {{1, 1, 1}, {2, 2, 1}, {3, 3, 2}, {11, 11, 10}, {20, 20, 19}};
    for (const auto& c : cases) {
        gLevel = c.level;
        StartRound(1, false);
        EXPECT_EQ(game->growthPerFood, c.one) << c.level;
        StartRound(2, true);
        EXPECT_EQ(game->growthPerFood, c.two) << c.level;
    }
}

// ---- movement and steering

class MovementTest : public test::GameFixture {};

TEST_F(MovementTest, FirstTicksGoStraightUpAndTheTrailFollowsTwoMovesPerSegment)
{
    StartRound(2, false);
    game->Tick();
    EXPECT_EQ(game->worms[0].headX, 400.0);
    EXPECT_EQ(game->worms[0].headY, 393.0);
    std::vector<Segment> expected = Repeat(Segment{400, 400, 400, 400}, 6);
    expected[0] = Segment{400, 393, 400, 400};
    EXPECT_EQ(Body(0), expected);
    EXPECT_EQ(game->worms[1].headX, 200.0);
    EXPECT_EQ(game->worms[1].headY, 393.0);

    game->Tick();
    game->Tick();
    EXPECT_EQ(game->worms[0].headY, 379.0);
    const std::vector<Segment> body = Body(0);
    ASSERT_EQ(body.size(), 6u);
    EXPECT_EQ(body[0], (Segment{400, 379, 400, 386}));
    EXPECT_EQ(body[1], (Segment{400, 393, 400, 400}));  // where the head was two moves ago
    EXPECT_EQ(body[2], (Segment{400, 400, 400, 400}));
}

TEST_F(MovementTest, TheExactHeadAccumulatesAndItsSegmentIsTruncated)
{
    StartRound(1, false);
    game->worms[0].direction = 1;
    game->Tick();
    EXPECT_EQ(game->worms[0].dx, 7 * 0.2588);
    EXPECT_EQ(game->worms[0].dy, 7 * -0.9659);
    EXPECT_EQ(Body(0)[0].x, 401);  // 401.8116 truncated, not rounded
    game->Tick();
    EXPECT_EQ(Body(0)[0].x, 403);  // 403.6232
    EXPECT_EQ(game->worms[0].headX, 400.0 + 7 * 0.2588 + 7 * 0.2588);
}

TEST_F(MovementTest, HeadingsLieFifteenDegreesApartAtTheSpeedWithExactAxes)
{
    StartRound(1, false);
    WormRecord& worm = game->worms[0];
    for (int speed = 4; speed <= 10; ++speed) {
        for (int d = 0; d < 24; ++d) {
            worm.speed = speed;
            worm.direction = d;
            game->UpdateVelocity(0);
            const double angle = std::atan2(worm.dx, -worm.dy) * 180.0 / M_PI;
            EXPECT_NEAR(std::remainder(angle - 15.0 * d, 360.0), 0.0, 0.01) << d;
            EXPECT_NEAR(std::hypot(worm.dx, worm.dy), speed, speed * 1e-4) << d;
            for (double step : {worm.dx, worm.dy}) {
                if (step == 0.0) {
                    EXPECT_FALSE(std::signbit(step)) << "a zero step is +0.0, direction " << d;
                }
            }
            if (d % 6 == 0) {
                EXPECT_EQ(std::fabs(worm.dx) + std::fabs(worm.dy), speed) << d;
            }
        }
    }
    worm.speed = 10;
    worm.direction = 3;
    game->UpdateVelocity(0);
    EXPECT_EQ(worm.dx, 10 * 0.7071);
    EXPECT_EQ(worm.dy, -10 * 0.7071);
}

TEST_F(MovementTest, SteeringWrapsAroundAndTurnsOneTickAfterTheKeyIsSeen)
{
    StartRound(1, false);
    WormRecord& worm = game->worms[0];
    worm.turn = -1;
    game->Steer(0);
    EXPECT_EQ(worm.direction, 23);
    worm.turn = 1;
    game->Steer(0);
    EXPECT_EQ(worm.direction, 0);

    worm.turn = 0;
    Key(SDL_SCANCODE_LEFT, true);
    game->Tick();  // the key is read after this tick's steering
    EXPECT_EQ(worm.direction, 0);
    EXPECT_EQ(worm.turn, -1);
    Key(SDL_SCANCODE_LEFT, false);
    game->Tick();  // released since, yet the turn read last tick still applies
    EXPECT_EQ(worm.direction, 23);
    EXPECT_LT(worm.dx, 0.0) << "the worm already moves in its new heading";
    game->Tick();
    EXPECT_EQ(worm.direction, 23);

    // Pressed and released between two ticks: never seen.
    Key(SDL_SCANCODE_RIGHT, true);
    Key(SDL_SCANCODE_RIGHT, false);
    game->Tick();
    game->Tick();
    EXPECT_EQ(worm.direction, 23);
}

TEST_F(MovementTest, ACrashedWormFreezesAndRunsItsCrashRowsWhileTheOtherStops)
{
    StartRound(2, false);
    PlaceHead(0, 35.0, 200.0);
    game->worms[0].direction = 18;  // left, into the wall
    game->Tick();
    EXPECT_FALSE(game->running);
    EXPECT_EQ(game->worms[0].crashTicks, 1);
    EXPECT_EQ(game->worms[0].spriteRow, 0) << "the crash tick is drawn in the worm's own row";
    EXPECT_EQ(game->worms[1].wins, 1);
    EXPECT_EQ(game->worms[0].wins, 0);

    const std::vector<Segment> crashed = Body(0);
    const std::vector<Segment> other = Body(1);
    const double otherY = game->worms[1].headY;
    for (int row : {63, 84, 105, 126, 147, 147, 147}) {
        game->Tick();
        EXPECT_EQ(game->worms[0].spriteRow, row);
        EXPECT_EQ(Body(0), crashed);
        EXPECT_EQ(Body(1), other);
        EXPECT_EQ(game->worms[1].headY, otherY);
        EXPECT_EQ(game->worms[1].spriteRow, 21);
        EXPECT_EQ(game->worms[1].crashTicks, 0);
    }
    EXPECT_EQ(game->worms[0].crashTicks, 8);

    // The keys are still read after the round, but steer nothing.
    Key(SDL_SCANCODE_A, true);
    game->Tick();
    EXPECT_EQ(game->worms[1].turn, -1);
    game->Tick();
    EXPECT_EQ(game->worms[1].direction, 0);
    Key(SDL_SCANCODE_A, false);
}

// ---- the steering keys

class TurnKeysTest : public test::GameFixture {};

TEST_F(TurnKeysTest, LeftWinsOverRightAndBothRecordsFollowTheKeysInAnyRound)
{
    StartRound(1, false);
    for (SDL_Scancode key : {SDL_SCANCODE_LEFT, SDL_SCANCODE_RIGHT, SDL_SCANCODE_A, SDL_SCANCODE_S}) Key(key, true);
    game->ReadTurnKeys();
    EXPECT_EQ(game->worms[0].turn, -1);
    EXPECT_EQ(game->worms[1].turn, -1) << "worm 1 is read in a one-worm round too";
    Key(SDL_SCANCODE_LEFT, false);
    Key(SDL_SCANCODE_A, false);
    game->ReadTurnKeys();
    EXPECT_EQ(game->worms[0].turn, 1);
    EXPECT_EQ(game->worms[1].turn, 1);
    Key(SDL_SCANCODE_RIGHT, false);
    Key(SDL_SCANCODE_S, false);
    game->ReadTurnKeys();
    EXPECT_EQ(game->worms[0].turn, 0);
    EXPECT_EQ(game->worms[1].turn, 0);
}

TEST(TurnKeysWithoutKeyboardTest, NoDeviceOrAFailedAcquisitionRunsStraight)
{
    for (Fault fault : {Fault::CreateDevice, Fault::Acquire}) {
        test::AppHarness app;
        platform_test::FailNext(fault);
        ASSERT_TRUE(app.Start());
        CGameScreen* game = app.Frame()->gameScreen;
        EXPECT_EQ(game->keyboard.acquired, 0);
        game->StartRound(2, false);
        platform_test::PushKey(SDL_SCANCODE_LEFT, true);
        platform_test::PushKey(SDL_SCANCODE_S, true);
        app.Pump();
        for (int i = 0; i < 3; ++i) game->Tick();
        EXPECT_EQ(game->worms[0].turn, 0);
        EXPECT_EQ(game->worms[1].turn, 0);
        EXPECT_EQ(game->worms[0].direction, 0);
        EXPECT_EQ(game->worms[0].headX, 400.0);
        platform_test::PushKey(SDL_SCANCODE_LEFT, false);
        platform_test::PushKey(SDL_SCANCODE_S, false);
        app.Pump();
    }
}

// ---- collisions

class CollisionTest : public test::RulesFixture {
protected:
    // One worm coiled on (300, 300), the other far off on (500, 100), both heads exact.
    void StartOnPoints(int worms)
    {
        StartRound(worms, false);
        SetBody(0, Repeat(Segment{300, 300, 300, 300}, 6));
        PlaceHead(0, 300.0, 300.0);
        SetBody(1, Repeat(Segment{500, 100, 500, 100}, 6));
        PlaceHead(1, 500.0, 100.0);
    }
    void AddSegment(int worm, int x, int y) { game->worms[worm].body.AddTail(Segment{x, y, x, y}); }
};

TEST_F(CollisionTest, WallsAreSafeUpToThirtySixHundredTenAndFourHundredFifty)
{
    struct Case {
        double x, y;
        bool crash;
    };
    const Case cases[] = {{30.0, 200.0, false}, {29.999, 200.0, true}, {610.0, 200.0, false}, {610.001, 200.0, true},
                          {300.0, 30.0, false}, {300.0, 29.999, true}, {300.0, 450.0, false}, {300.0, 450.001, true}};
    for (const Case& c : cases) {
        StartOnPoints(1);
        PlaceHead(0, c.x, c.y);
        SetBody(0, {Body(0)[0]});
        game->CheckCollisions();
        EXPECT_EQ(game->running, !c.crash) << c.x << ", " << c.y;
        EXPECT_EQ(game->worms[0].crashTicks, c.crash ? 1 : 0) << c.x << ", " << c.y;
    }
}

TEST_F(CollisionTest, OwnBodyHitsFromTheSeventhSegmentWhenCloserThanTwentyOnBothAxes)
{
    struct Case {
        int x, y;
        bool crash;
    };
    const Case cases[] = {{319, 319, true}, {281, 281, true}, {320, 300, false}, {300, 320, false}, {300, 280, false}};
    for (const Case& c : cases) {
        StartOnPoints(1);  // segments 1 to 5 lie on the head itself and never count
        AddSegment(0, c.x, c.y);
        game->CheckCollisions();
        EXPECT_EQ(game->running, !c.crash) << c.x << ", " << c.y;
    }
    StartOnPoints(1);
    AddSegment(0, 400, 400);
    AddSegment(0, 305, 290);  // the last segment counts too
    game->CheckCollisions();
    EXPECT_FALSE(game->running);
}

TEST_F(CollisionTest, AnySegmentOfTheOtherWormHeadIncludedIsFatalAndScoresForIt)
{
    StartOnPoints(2);
    SetBody(1, {Segment{500, 100, 500, 100}, Segment{310, 310, 310, 310}});  // its second segment
    game->CheckCollisions();
    EXPECT_EQ(game->worms[0].crashTicks, 1);
    EXPECT_EQ(game->worms[1].crashTicks, 0);
    EXPECT_EQ(game->worms[1].wins, 1);
    EXPECT_EQ(game->worms[0].wins, 0);

    // Heads meeting: both crash in the same tick and each gets a point.
    StartOnPoints(2);
    PlaceHead(1, 305.0, 295.0);
    game->CheckCollisions();
    EXPECT_EQ(game->worms[0].crashTicks, 1);
    EXPECT_EQ(game->worms[1].crashTicks, 1);
    EXPECT_EQ(game->worms[0].wins, 1);
    EXPECT_EQ(game->worms[1].wins, 1);
    game->CheckCollisions();  // a second hit credits nobody again
    EXPECT_EQ(game->worms[0].wins, 1);
    EXPECT_EQ(game->worms[1].wins, 1);
}

TEST_F(CollisionTest, InAOneWormRoundTheSecondRecordIsNotTestedButCountsTheCrash)
{
    StartOnPoints(2);
    StartRound(1, false);  // worm 1 keeps its body on (500, 100)
    SetBody(0, Repeat(Segment{500, 100, 500, 100}, 6));
    PlaceHead(0, 300.0, 300.0);
    SetBody(1, Repeat(Segment{300, 300, 300, 300}, 6));
    game->CheckCollisions();
    EXPECT_TRUE(game->running);
    PlaceHead(0, 20.0, 300.0);
    game->CheckCollisions();
    EXPECT_FALSE(game->running);
    EXPECT_EQ(game->worms[1].wins, 1);
}

// ---- food, bonus and their placement

class ItemsTest : public test::RulesFixture {};

TEST_F(ItemsTest, RandomReachesBeyondItsArgument)
{
    const struct {
        int raw, n, result;
    } cases[] = {{32767, 580, 585}, {32767, 420, 420}, {32767, 50, 50}, {32766, 3, 3}, {32765, 3, 2}, {0, 3, 0}};
    for (const auto& c : cases) {
        platform_test::ScriptRandom({c.raw});
        EXPECT_EQ(CGameScreen::Random(c.n), c.result) << c.raw << " / " << c.n;
    }
    // Unscripted, the generator keeps the runtime's range and its sequence from a seed.
    crt::srand(1);
    EXPECT_EQ(crt::rand(), 41);
    EXPECT_EQ(crt::rand(), 18467);
    for (int i = 0; i < 100000; ++i) ASSERT_LE(crt::rand(), 32767);
}

TEST_F(ItemsTest, FoodWithinTwentyOnBothAxesIsEatenAndGrowsTheTailByTheLevel)
{
    StartRound(1, false, {600, 60}, {100, 100});
    game->growthPerFood = 3;
    const Segment tail = Body(0).back();
    PlaceHead(0, 120.5, 100.0);
    game->EatItems();
    EXPECT_EQ(game->worms[0].score, 0);

    PlaceHead(0, 120.0, 80.0);
    platform_test::ScriptRandom(ItemDraw(500, 300));
    game->EatItems();
    EXPECT_EQ(game->worms[0].score, 1);
    EXPECT_EQ(game->foodX, 500);
    EXPECT_EQ(game->foodY, 300);
    const std::vector<Segment> body = Body(0);
    ASSERT_EQ(body.size(), 9u);
    for (size_t k = 5; k < 9; ++k) EXPECT_EQ(body[k], tail) << k;
}

TEST_F(ItemsTest, TheBonusChangesTheSpeedWithinFourToTen)
{
    const struct {
        int kind, speed, after;
    } cases[] = {{-1, 4, 4}, {-1, 7, 6}, {1, 10, 10}, {1, 7, 8}, {2, 9, 10}, {2, 4, 6}};
    for (const auto& c : cases) {
        StartRound(1, false, {300, 200}, {60, 60});
        game->bonusKind = c.kind;
        game->worms[0].speed = c.speed;
        PlaceHead(0, 310.0, 190.0);
        platform_test::ScriptRandom(BonusDraw(500, 100, -1, 120));
        game->EatItems();
        EXPECT_EQ(game->worms[0].speed, c.after) << c.kind << " at " << c.speed;
        EXPECT_EQ(game->bonusX, 500);
        EXPECT_EQ(game->bonusKind, -1);
        EXPECT_EQ(game->bonusSourceRect.left, 42) << "the slower bonus's cell";
        EXPECT_EQ(game->bonusTimer, 120 - 1) << "the pass that placed it counts down once";
    }
}

TEST_F(ItemsTest, AnUneatenBonusMovesAtTheEndOfPass101)
{
    StartRound(1, false, {600, 60}, {60, 60});
    game->bonusTimer = 100;
    platform_test::ScriptRandom(BonusDraw(500, 300, 2, 100));
    for (int pass = 1; pass <= 100; ++pass) game->EatItems();
    EXPECT_EQ(game->bonusX, 600);
    EXPECT_EQ(game->bonusTimer, 0);
    game->EatItems();
    EXPECT_EQ(game->bonusX, 500);
    EXPECT_EQ(game->bonusY, 300);
    EXPECT_EQ(game->bonusKind, 2);
    EXPECT_EQ(game->bonusSourceRect.left, 21) << "every kind but -1 shows the faster cell";
    EXPECT_EQ(game->bonusTimer, 100);
}

TEST_F(ItemsTest, PlacementRedrawsWithinTwentyFiveOfAnySegmentAndTheBonusKindNeverZero)
{
    StartRound(2, false);
    SetBody(1, Repeat(Segment{300, 300, 300, 300}, 6));
    platform_test::ScriptRandom(ItemDraw(325, 275));  // 25 away on both axes: blocked
    platform_test::ScriptRandom(ItemDraw(326, 300));  // 26 away on one axis: free
    game->PlaceItem(0);
    EXPECT_EQ(game->foodX, 326);
    EXPECT_EQ(game->foodY, 300);

    platform_test::ScriptRandom(ItemDraw(300, 274));
    platform_test::ScriptRandom({10922, 10922, 0, 0});  // kinds 0, 0, then -1; stay 100
    game->PlaceItem(1);
    EXPECT_EQ(game->bonusY, 274);
    EXPECT_EQ(game->bonusKind, -1);
    EXPECT_EQ(game->bonusTimer, 100);
    EXPECT_EQ(platform_test::ScriptedRandomLeft(), 0);
}

// The first point in reading order that no segment keeps within 25 pixels, point by point.
bool FirstFreeByHand(const std::vector<Segment>& body, int* x, int* y)
{
    for (int py = kItemMinY; py <= kItemMaxY; ++py)
        for (int px = kItemMinX; px <= kItemMaxX; ++px) {
            bool blocked = false;
            for (const Segment& s : body) blocked = blocked || (std::abs(s.x - px) <= 25 && std::abs(s.y - py) <= 25);
            if (!blocked) {
                *x = px;
                *y = py;
                return true;
            }
        }
    return false;
}

TEST_F(ItemsTest, ADrawThatKeepsFailingFallsBackToTheFirstFreePointOrStaysPut)
{
    // A body on a grid of 51 pixels covers the whole area; one gap in it leaves a hole.
    std::vector<Segment> covering;
    for (int y = 55; y < 500; y += 51)
        for (int x = 55; x < 660; x += 51) covering.push_back(Segment{x, y, x, y});
    std::vector<Segment> holed = covering;
    holed.erase(holed.begin() + 40);

    StartRound(1, false);
    const std::vector<int> stuck(200, 0);  // every draw on (30, 30)

    for (const std::vector<Segment>* body : {&holed, &covering}) {
        SetBody(0, *body);
        platform_test::ScriptRandom(stuck);
        game->PlaceItem(0);
        int x = 30;  // with no free point the food stays on the last draw
        int y = 30;
        EXPECT_EQ(FirstFreeByHand(*body, &x, &y), body == &holed);
        EXPECT_EQ(game->foodX, x);
        EXPECT_EQ(game->foodY, y);
        EXPECT_EQ(platform_test::ScriptedRandomLeft(), 0) << "a bounded number of draws";
    }

    // Only the top-left corner is taken: the first free point is just right of it.
    SetBody(0, {Segment{40, 40, 40, 40}});
    platform_test::ScriptRandom(stuck);
    game->PlaceItem(1);
    EXPECT_EQ(game->bonusX, 66);
    EXPECT_EQ(game->bonusY, 30);
}

// ---- a round at play

TEST_F(MovementTest, ARunningTwoWormRoundAllocatesNothingPerTick)
{
    crt::srand(7);
    platform_test::ScriptRandom(BonusDraw(600, 60, 1, 150));
    platform_test::ScriptRandom(ItemDraw(60, 60));
    PostMessageA(app.Frame()->m_hWnd, UM_START_GAME, 2, 0);
    Key(SDL_SCANCODE_RIGHT, true);  // both worms circle where they started
    Key(SDL_SCANCODE_S, true);
    app.Ticks(3);
    const std::size_t before = test::AllocationCount();
    app.Ticks(1000);
    EXPECT_EQ(test::AllocationCount(), before);
    EXPECT_TRUE(game->running);
    EXPECT_EQ(game->worms[0].body.GetCount(), 6);
    EXPECT_EQ(game->worms[1].body.GetCount(), 6);
    Key(SDL_SCANCODE_RIGHT, false);
    Key(SDL_SCANCODE_S, false);
}

}  // namespace
