// The loop's sleep in the browser. SDL's own wait has no way to sleep on the page's events, so it
// polls every millisecond: an idle menu then woke the page a thousand times a second. Here the
// page sleeps until the timer is due or one of its input events arrives (event_wait_web.js).
#include "platform/internal.h"

extern "C" void lorvex_sleep_until_input(int milliseconds);

namespace platform {

void WaitForEvents(int milliseconds)
{
    lorvex_sleep_until_input(milliseconds);
}

}  // namespace platform
