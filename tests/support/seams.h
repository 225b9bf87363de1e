#pragma once

// Shared by the test build's seams (platform_hooks.cpp, seam_objects.cpp).

#include "tests/support/platform_hooks.h"

namespace test {

struct PendingFault {
    int after = 0;
    int times = 0;
};

// True when the next call of that step is to fail (consumes one injected fault).
bool ShouldFail(platform_test::Fault fault);
// Notes a call the exit order depends on, while the trace is on.
void TraceCall(const char* what);

}  // namespace test
