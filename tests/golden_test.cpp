// Whole frames against reference pictures (tests/golden/*.png): each scene is a short script of
// the player's input through the running program, and the frame it leaves is compared pixel for
// pixel. LORVEX_UPDATE_GOLDEN=1 ctest -R Golden writes the references again after a deliberate
// change. The window tests run the real presenting code on a driver that draws and read back
// what reached the window.

#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <ostream>
#include <string>

#include "app/main_frame.h"
#include "game/game_screen.h"
#include "platform/internal.h"
#include "tests/support/app_harness.h"
#include "tests/support/game_fixture.h"
#include "tests/support/golden.h"
#include "tests/support/menu_points.h"

namespace {

using test::Picture;

// The running program, started at a level, and what a player does to it.
class Stage {
public:
    explicit Stage(const char* videoDriver = "dummy") : app(videoDriver) {}
    bool Start(int level)
    {
        app.WriteSettings("[Nastaveni]\nlevel=" + std::to_string(level) + "\n");
        return app.Start();
    }
    void Move(POINT p) { platform_test::PushMouseMove(p.x, p.y); }
    void Press(POINT p) { platform_test::PushMouseButton(p.x, p.y, true, true); }
    void Release(POINT p) { platform_test::PushMouseButton(p.x, p.y, true, false); }
    void Click(POINT p) { Press(p), Release(p); }
    void Hold(unsigned scancode, bool down = true) { platform_test::PushKey(scancode, down); }
    void Key(unsigned scancode) { Hold(scancode), Hold(scancode, false); }
    void Ticks(int n) { app.Ticks(n); }
    CGameScreen* Game() const { return app.Frame()->gameScreen; }
    // The bonus of the kind given at (500, 100) and the food at the point given, for the next round.
    void Items(int bonusKind, POINT food)
    {
        platform_test::ScriptRandom(test::BonusDraw(500, 100, bonusKind, 150));
        platform_test::ScriptRandom(test::ItemDraw(food.x, food.y));
    }
    void Round(POINT button, int bonusKind = 1, POINT food = {100, 300})
    {
        Items(bonusKind, food);
        Click(button);
        Ticks(1);
    }
    // Space after a crash: a match plays on at once.
    void Replay()
    {
        Items(1, {100, 300});
        Key(SDL_SCANCODE_SPACE);
        Ticks(1);
    }
    void Scores(int first, int second)
    {
        Game()->worms[0].score = first;
        Game()->worms[1].score = second;
    }
    // Only the head left: a worm the game itself never makes so short.
    void Shorten(int worm)
    {
        SegmentList& body = Game()->worms[worm].body;
        while (body.GetCount() > 1) body.RemoveTail();
    }
    void TicksUntilCrash()
    {
        for (int i = 0; i < 200 && Game()->running; ++i) Ticks(1);
    }

    test::AppHarness app;
};

struct Scene {
    const char* name;
    const char* behind;  // the picture in res/ the frame is drawn over
    void (*play)(Stage&);
    int level = 1;
    const char* reference = nullptr;  // another scene's picture, when it must look the same
};

// A release without a press, then moves and clicks over the bars and beyond the corners.
void Strays(Stage& s)
{
    s.Release(kSingle);
    for (POINT p : {POINT{-40, 160}, POINT{700, 200}, POINT{320, -30}, POINT{320, 520}, POINT{2000, 2000}})
        s.Move(p), s.Click(p);
}

// Two worms at level 20 fed once each, so that every cell of their rows shows, crashing
// together into the top wall with 12 points; then the frames after it.
void Crash(Stage& s, int ticksAfter)
{
    s.Round(kPair, 1, {400, 330});
    platform_test::ScriptRandom(test::ItemDraw(200, 280));  // for worm 1, once worm 0 has eaten
    platform_test::ScriptRandom(test::ItemDraw(100, 300));
    s.Scores(12, 0);
    s.TicksUntilCrash();
    s.Ticks(ticksAfter);
}

const Scene kScenes[] = {
    {"menu", "IDB_MENU", [](Stage& s) { s.Ticks(1); }},
    {"menu_level_9", "IDB_MENU", [](Stage& s) { s.Ticks(1); }, 9},
    {"menu_level_10", "IDB_MENU", [](Stage& s) { s.Ticks(1); }, 10},
    {"menu_level_20", "IDB_MENU", [](Stage& s) { s.Ticks(1); }, 20},
    {"menu_hover_single", "IDB_MENU", [](Stage& s) { s.Move(kSingle), s.Ticks(1); }},
    {"menu_hover_pair", "IDB_MENU", [](Stage& s) { s.Move(kPair), s.Ticks(1); }},
    {"menu_hover_match", "IDB_MENU", [](Stage& s) { s.Move(kMatch), s.Ticks(1); }},
    {"menu_hover_about", "IDB_MENU", [](Stage& s) { s.Move(kAbout), s.Ticks(1); }},
    {"menu_hover_exit", "IDB_MENU", [](Stage& s) { s.Move(kExit), s.Ticks(1); }},
    {"menu_press_single", "IDB_MENU", [](Stage& s) { s.Press(kSingle), s.Ticks(1); }},
    {"menu_press_pair", "IDB_MENU", [](Stage& s) { s.Press(kPair), s.Ticks(1); }},
    {"menu_press_match", "IDB_MENU", [](Stage& s) { s.Press(kMatch), s.Ticks(1); }},
    {"menu_press_about", "IDB_MENU", [](Stage& s) { s.Press(kAbout), s.Ticks(1); }},
    {"menu_press_exit", "IDB_MENU", [](Stage& s) { s.Press(kExit), s.Ticks(1); }},
    // Looks that must not stay: a press dragged away, strays over the bars, a held press
    // dragged onto a button, and the buttons after a visit to the about screen.
    {"menu_press_dragged_away", "IDB_MENU",
     [](Stage& s) { s.Press(kPair), s.Move(kNowhere), s.Release(kNowhere), s.Ticks(1); }, 1, "menu"},
    {"menu_strays_off_the_picture", "IDB_MENU", [](Stage& s) { Strays(s), s.Move(kSingle), s.Ticks(1); }, 1,
     "menu_hover_single"},
    {"menu_dragged_on_from_a_bar", "IDB_MENU",
     [](Stage& s) {
         Strays(s), s.Press({-40, 160}), s.Move(kSingle), s.Ticks(1);
     },
     1, "menu"},
    {"menu_back_from_about", "IDB_MENU",
     [](Stage& s) { s.Move(kPair), s.Click(kAbout), s.Ticks(1), s.Click(kBack), s.Ticks(1); }, 1, "menu"},
    {"menu_escaped_from_about", "IDB_MENU",
     [](Stage& s) { s.Click(kAbout), s.Ticks(1), s.Key(SDL_SCANCODE_ESCAPE), s.Ticks(1); }, 1, "menu"},
    {"about", "IDB_ABOUT", [](Stage& s) { s.Click(kAbout), s.Ticks(1); }},
    {"about_hover", "IDB_ABOUT", [](Stage& s) { s.Click(kAbout), s.Move(kBack), s.Ticks(1); }},
    {"about_press", "IDB_ABOUT", [](Stage& s) { s.Click(kAbout), s.Press(kBack), s.Ticks(1); }},
    // Rounds: the start of each mode with each bonus kind, worms turning and eating.
    {"round_single", "IDB_GROUND", [](Stage& s) { s.Round(kSingle, -1); }},
    {"round_pair", "IDB_GROUND", [](Stage& s) { s.Round(kPair, 1); }},
    {"round_match", "IDB_GROUND", [](Stage& s) { s.Round(kMatch, 2); }},
    {"round_pair_turning", "IDB_GROUND",
     [](Stage& s) { s.Round(kPair), s.Hold(SDL_SCANCODE_LEFT), s.Hold(SDL_SCANCODE_S), s.Ticks(9); }},
    {"round_single_level_20_after_food", "IDB_GROUND",
     [](Stage& s) {
         s.Round(kSingle, 1, {400, 330});
         platform_test::ScriptRandom(test::ItemDraw(100, 300));  // where the food goes once eaten
         s.Ticks(30);
     },
     20},
    {"round_one_segment", "IDB_GROUND", [](Stage& s) { s.Round(kSingle), s.Shorten(0), s.Ticks(1); }},
    {"round_head_on", "IDB_GROUND",
     [](Stage& s) {
         s.Round(kMatch), s.Hold(SDL_SCANCODE_LEFT), s.Hold(SDL_SCANCODE_S), s.Ticks(6);
         s.Hold(SDL_SCANCODE_LEFT, false), s.Hold(SDL_SCANCODE_S, false), s.TicksUntilCrash();
     }},
    // The score line: each colour and its bounds, two players' sum, and a match's points.
    {"total_9", "IDB_GROUND", [](Stage& s) { s.Round(kSingle), s.Scores(9, 0), s.Ticks(1); }},
    {"total_10", "IDB_GROUND", [](Stage& s) { s.Round(kSingle), s.Scores(10, 0), s.Ticks(1); }},
    {"total_15", "IDB_GROUND", [](Stage& s) { s.Round(kSingle), s.Scores(15, 0), s.Ticks(1); }},
    {"total_16", "IDB_GROUND", [](Stage& s) { s.Round(kSingle), s.Scores(16, 0), s.Ticks(1); }},
    {"total_alone_99_left_out", "IDB_GROUND", [](Stage& s) { s.Round(kSingle), s.Scores(0, 99), s.Ticks(1); }},
    {"total_pair_6_5", "IDB_GROUND", [](Stage& s) { s.Round(kPair), s.Scores(6, 5), s.Ticks(1); }},
    {"total_pair_9_7", "IDB_GROUND", [](Stage& s) { s.Round(kPair), s.Scores(9, 7), s.Ticks(1); }},
    {"match_points_3_7", "IDB_GROUND",
     [](Stage& s) {
         s.Round(kMatch), s.Scores(50, 0), s.Game()->worms[0].wins = 3, s.Game()->worms[1].wins = 7, s.Ticks(1);
     }},
    {"match_replayed_after_a_crash", "IDB_GROUND",
     [](Stage& s) {
         s.Round(kMatch), s.Hold(SDL_SCANCODE_S), s.Ticks(12), s.Hold(SDL_SCANCODE_S, false);
         s.TicksUntilCrash(), s.Replay();
     }},
    // The crash and each crash row after it, the score as it stood.
    {"crash", "IDB_GROUND", [](Stage& s) { Crash(s, 0); }, 20},
    {"crash_row_3", "IDB_GROUND", [](Stage& s) { Crash(s, 1); }, 20},
    {"crash_row_4", "IDB_GROUND", [](Stage& s) { Crash(s, 2); }, 20},
    {"crash_row_5", "IDB_GROUND", [](Stage& s) { Crash(s, 3); }, 20},
    {"crash_row_6", "IDB_GROUND", [](Stage& s) { Crash(s, 4); }, 20},
    {"crash_row_7", "IDB_GROUND", [](Stage& s) { Crash(s, 5); }, 20},
    {"crash_row_7_kept", "IDB_GROUND", [](Stage& s) { Crash(s, 9); }, 20, "crash_row_7"},
};

void PrintTo(const Scene& scene, std::ostream* out)
{
    *out << scene.name;
}

class Golden : public ::testing::TestWithParam<Scene> {};

TEST_P(Golden, FrameMatchesItsPicture)
{
    const Scene& scene = GetParam();
    Stage stage;
    ASSERT_TRUE(stage.Start(scene.level));
    scene.play(stage);
    const Picture behind = test::ScreenPictureOf(scene.behind);
    const Picture seen = test::FromFrame(platform_test::PresentedFrame());
    if (scene.reference == nullptr) EXPECT_TRUE(test::MatchesGolden(seen, scene.name, &behind));
    else EXPECT_TRUE(test::Matches(seen, test::Golden(scene.reference, &behind), scene.name));
}

INSTANTIATE_TEST_SUITE_P(Scenes, Golden, ::testing::ValuesIn(kScenes),
                         [](const ::testing::TestParamInfo<Scene>& info) { return std::string(info.param.name); });

// ---- what reaches the window

SDL_Window* WindowOf(const Stage& stage)
{
    return platform::SdlWindowOf(stage.app.Frame()->m_hWnd);
}

void Resize(Stage& stage, int width, int height)
{
    SDL_SetWindowFullscreen(WindowOf(stage), 0);
    SDL_SetWindowSize(WindowOf(stage), width, height);
    stage.app.Pump();
}

Picture WindowPixels(const Stage& stage)
{
    SDL_Renderer* renderer = SDL_GetRenderer(WindowOf(stage));
    Picture p;
    if (renderer == nullptr || SDL_GetRendererOutputSize(renderer, &p.width, &p.height) != 0) return p;
    p.pixels.resize(static_cast<size_t>(p.width) * p.height);
    if (SDL_RenderReadPixels(renderer, nullptr, SDL_PIXELFORMAT_RGB888, p.pixels.data(), p.width * 4) != 0) return {};
    return p;
}

struct WindowCase {
    const char* name;
    SDL_Point size;
    std::string scene;
    SDL_Point resized;  // the size it is changed to after the scene, if any
};

// A whole scale is the frame's reference enlarged; the others have their own pictures.
const WindowCase kWindows[] = {
    {"window_menu_1280x960", {1280, 960}, "menu", {0, 0}},
    {"window_menu_1280x800", {1280, 800}, "menu_hover_single", {0, 0}},
    {"window_about_1366x768", {1366, 768}, "about_hover", {0, 0}},
    {"window_round_1366x768_to_1280x960", {1366, 768}, "round_single", {1280, 960}},
};

TEST(GoldenWindow, ShowsTheFrameScaledToFillIt)
{
    // The software renderer draws into the window's own pixels, where they can be read back, and
    // those are plain memory: no GL library is loaded (Mesa's faults would show under the sanitizer).
    SDL_SetHint(SDL_HINT_RENDER_DRIVER, "software");
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    for (const WindowCase& c : kWindows) {
        const Scene& scene =
            *std::find_if(std::begin(kScenes), std::end(kScenes), [&](const Scene& s) { return s.name == c.scene; });
        Stage stage("offscreen");
        ASSERT_TRUE(stage.Start(scene.level));
        ASSERT_STREQ(SDL_GetCurrentVideoDriver(), "offscreen");
        Resize(stage, c.size.x, c.size.y);
        scene.play(stage);
        if (c.resized.x != 0) Resize(stage, c.resized.x, c.resized.y);
        const Picture seen = WindowPixels(stage);
        if (seen.width == 2 * 640 && seen.height == 2 * 480) {
            const Picture behind = test::ScreenPictureOf(scene.behind);
            EXPECT_TRUE(test::Matches(seen, test::Enlarged(test::Golden(scene.name, &behind), 2), c.name));
        } else {
            EXPECT_TRUE(test::MatchesGolden(seen, c.name));
        }
    }
    SDL_SetHint(SDL_HINT_RENDER_DRIVER, nullptr);
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, nullptr);
}

}  // namespace
