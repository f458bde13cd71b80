#include "app/DoEvents.h"

#include <QCoreApplication>
#include <QElapsedTimer>

void DoEvents() {
    static QElapsedTimer sinceLast;
    if (sinceLast.isValid() && sinceLast.elapsed() < 20) return;
    QCoreApplication::processEvents();
    sinceLast.start();
}
