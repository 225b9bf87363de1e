// The program's command line on the SDL stand-ins: how the picture is shown at the start.
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/afx.h"
#include "platform/internal.h"

namespace {

constexpr const char* kUsage =
    "Usage: %s [--window | --full-screen]%s\n"
    "  --window       start in a window\n"
    "  --full-screen  start full screen\n"
    "  --help         show this and end\n"
    "%s"
    "Without an option the game starts as it was left: full screen the first time.\n"
    "Alt+Enter switches between full screen and a window at any time.\n";

// Where the program carries the online game (net/).
constexpr const char* kOnlineUsage =
    "  --host SERVER  play with a friend online through the relay SERVER (HOST:PORT or a ws:// address);\n"
    "                 the link to send the friend is printed\n"
    "  --join LINK    join the friend's online game: the link the friend sent\n";

const char* gOnlineAddress = nullptr;
bool gOnlineHost = false;

}  // namespace

namespace platform {

void RequestOnline(const char* address, bool host)
{
    gOnlineAddress = address;
    gOnlineHost = host;
}

const char* OnlineRequest(bool* host)
{
    *host = gOnlineHost;
    return gOnlineAddress;
}

}  // namespace platform

int AfxReadOptions(int argc, char** argv)
{
    const char* program = program_invocation_short_name;
    platform::RequestStart(platform::StartIn::AsLastTime);
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--window") == 0) {
            platform::RequestStart(platform::StartIn::Window);
        } else if (std::strcmp(argv[i], "--full-screen") == 0) {
            platform::RequestStart(platform::StartIn::FullScreen);
        } else if (platform::HasOnlineHooks() &&
                   (std::strcmp(argv[i], "--host") == 0 || std::strcmp(argv[i], "--join") == 0)) {
            if (i + 1 == argc) {
                std::fprintf(stderr, "%s: %s needs a value (%s --help lists the options)\n", program, argv[i], program);
                return 2;
            }
            platform::RequestOnline(argv[i + 1], argv[i][2] == 'h');
            ++i;
        } else if (std::strcmp(argv[i], "--help") == 0) {
            const bool online = platform::HasOnlineHooks();
            std::printf(kUsage, program, online ? " [--host SERVER | --join LINK]" : "", online ? kOnlineUsage : "");
            return 0;
        } else {
            std::fprintf(stderr, "%s: unknown option '%s' (%s --help lists the options)\n", program, argv[i], program);
            return 2;
        }
    }
    return -1;
}
