#include "platform/test_hooks.h"

#include <array>
#include <deque>

#include "platform/internal.h"

namespace {

struct PendingFault {
    int after = 0;
    int times = 0;
};
std::array<PendingFault, static_cast<size_t>(platform_test::Fault::Count)> gPendingFaults{};
bool gManualClock = false;
DWORD gManualNow = 0;
bool gTraceOn = false;
// Written to by objects released at exit, so never destroyed themselves.
std::vector<std::string>& gTrace = *new std::vector<std::string>;
std::string& gDebugOutput = *new std::string;
std::deque<int>& gScriptedRandom = *new std::deque<int>;

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
    PendingFault& pending = gPendingFaults[static_cast<size_t>(fault)];
    if (pending.times <= 0) return false;
    if (pending.after > 0) {
        --pending.after;
        return false;
    }
    --pending.times;
    return true;
}

void TraceCall(const char* what)
{
    if (gTraceOn) gTrace.emplace_back(what);
}

bool NextScriptedRandom(int* value)
{
    if (gScriptedRandom.empty()) return false;
    *value = gScriptedRandom.front();
    gScriptedRandom.pop_front();
    return true;
}

void CaptureDebugOutput(const char* text)
{
    gDebugOutput += text;
}

}  // namespace platform

namespace platform_test {

void FailNext(Fault fault, int times, int after)
{
    gPendingFaults[static_cast<size_t>(fault)] = PendingFault{after, times};
}

void ResetFaults()
{
    gPendingFaults.fill(PendingFault{});
    gTrace.clear();
    gDebugOutput.clear();
    gScriptedRandom.clear();
}

void ScriptRandom(const std::vector<int>& values)
{
    gScriptedRandom.insert(gScriptedRandom.end(), values.begin(), values.end());
}

int ScriptedRandomLeft()
{
    return static_cast<int>(gScriptedRandom.size());
}

void UseManualClock(bool manual)
{
    gManualClock = manual;
}

void AdvanceClock(DWORD milliseconds)
{
    gManualNow += milliseconds;
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
