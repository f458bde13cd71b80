#include "app/DoEvents.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include "app/Program.h"

namespace {
int interval = 20;
}

void SetYieldInterval(int milliseconds) { interval = milliseconds; }

void DoEvents() {
    static QElapsedTimer sinceLast;
    if (interval > 0 && sinceLast.isValid() && sinceLast.elapsed() < interval) return;
    QCoreApplication::processEvents();
    sinceLast.start();
    Program::CheckNotEnding();
}
