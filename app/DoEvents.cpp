#include "app/DoEvents.h"

#include <QCoreApplication>
#include <ctime>

#include "app/Program.h"

namespace {

int interval = 20;

// The coarse monotonic clock: reading it costs a few nanoseconds where the
// precise one costs tens, and DoEvents runs at every value of a transfer;
// its few milliseconds of resolution are plenty for a 20 ms rule.
qint64 nowMs() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC_COARSE, &t);
    return qint64(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

}  // namespace

void SetYieldInterval(int milliseconds) { interval = milliseconds; }

void DoEvents() {
    static qint64 last = -1;
    if (interval > 0 && last >= 0 && nowMs() - last < interval) return;
    QCoreApplication::processEvents();
    last = nowMs();
    Program::CheckNotEnding();
}
