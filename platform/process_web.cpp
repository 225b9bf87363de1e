// The page is the browser's process: it has no signals, no standard streams of its own to mend
// and one video driver, so around its window there is nothing to do.
#include "platform/internal.h"

namespace platform {

void PrepareProcess() {}

bool TakeCloseSignal()
{
    return false;
}

void ChooseVideoDrivers() {}

void CatchDisplayErrors() {}

void MarkShutDown() {}

bool DisplayAbandoned()
{
    return false;
}

}  // namespace platform
