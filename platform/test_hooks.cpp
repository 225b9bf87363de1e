#include "platform/test_hooks.h"

#include <array>

#include "platform/internal.h"

namespace {

std::array<int, static_cast<size_t>(platform_test::Fault::Count)> gPendingFaults{};
bool gManualClock = false;
DWORD gManualNow = 0;
bool gTraceOn = false;
// Written to by objects released at exit, so never destroyed themselves.
std::vector<std::string>& gTrace = *new std::vector<std::string>;
std::string& gDebugOutput = *new std::string;

}  // namespace

namespace platform {

DWORD NowMs()
{
    return gManualClock ? gManualNow : static_cast<DWORD>(SDL_GetTicks64());
}

void WaitForEvent(DWORD timeoutMs)
{
    if (gManualClock) return;
    SDL_WaitEventTimeout(nullptr, static_cast<int>(timeoutMs));
}

bool ShouldFail(platform_test::Fault fault)
{
    int& pending = gPendingFaults[static_cast<size_t>(fault)];
    if (pending <= 0) return false;
    --pending;
    return true;
}

void TraceCall(const char* what)
{
    if (gTraceOn) gTrace.emplace_back(what);
}

void CaptureDebugOutput(const char* text)
{
    gDebugOutput += text;
}

}  // namespace platform

namespace platform_test {

void FailNext(Fault fault, int times)
{
    gPendingFaults[static_cast<size_t>(fault)] = times;
}

void ResetFaults()
{
    gPendingFaults.fill(0);
    gTrace.clear();
    gDebugOutput.clear();
}

void UseManualClock(bool manual)
{
    gManualClock = manual;
}

void AdvanceClock(DWORD milliseconds)
{
    gManualNow += milliseconds;
}

DWORD Now()
{
    return platform::NowMs();
}

void EnableTrace(bool on)
{
    gTraceOn = on;
}

const std::vector<std::string>& Trace()
{
    return gTrace;
}

const std::string& DebugOutput()
{
    return gDebugOutput;
}

}  // namespace platform_test
