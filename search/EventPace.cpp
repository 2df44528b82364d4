#include "search/EventPace.h"

#include "platform/threads/Clock.h"
#include "platform/ui/Shell.h"

namespace {

constexpr uint32_t kWorkPerLook = 4096;

} // namespace

TEventPace::TEventPace(IShell& shell)
    : shell_(shell), interval_(CounterFrequency() / 100), last_(CounterNow() - interval_) {}

void TEventPace::Pump() {
    if (CounterNow() - last_ < interval_) return;
    shell_.ProcessEvents();
    last_ = CounterNow();
}

bool TEventPace::Step(uint32_t weight) {
    work_ += weight;
    if (work_ < kWorkPerLook) return false;
    work_ = 0;
    Pump();
    return BreakFlag;
}
