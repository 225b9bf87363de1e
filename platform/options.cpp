// The program's command line on the SDL stand-ins: how the picture is shown at the start.
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/afx.h"
#include "platform/internal.h"

namespace {

constexpr const char* kUsage =
    "Usage: %s [--window | --full-screen]\n"
    "  --window       start in a window\n"
    "  --full-screen  start full screen\n"
    "  --help         show this and end\n"
    "Without an option the game starts as it was left: full screen the first time.\n"
    "Alt+Enter switches between full screen and a window at any time.\n";

}  // namespace

int AfxReadOptions(int argc, char** argv)
{
    const char* program = program_invocation_short_name;
    platform::RequestStart(platform::StartIn::AsLastTime);
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--window") == 0) {
            platform::RequestStart(platform::StartIn::Window);
        } else if (std::strcmp(argv[i], "--full-screen") == 0) {
            platform::RequestStart(platform::StartIn::FullScreen);
        } else if (std::strcmp(argv[i], "--help") == 0) {
            std::printf(kUsage, program);
            return 0;
        } else {
            std::fprintf(stderr, "%s: unknown option '%s' (%s --help lists the options)\n", program, argv[i], program);
            return 2;
        }
    }
    return -1;
}
