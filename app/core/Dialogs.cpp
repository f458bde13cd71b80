#include "app/core/Dialogs.h"

#include <stdexcept>

namespace {
Dialogs* current = nullptr;
QString title;
}  // namespace

Dialogs& dialogs() {
    if (!current) throw std::logic_error("no dialogs installed");
    return *current;
}

void setDialogs(Dialogs* d) { current = d; }

const QString& ApplicationTitle() { return title; }

void SetApplicationTitle() {
    QString t = DisplayName;
    while (t.size() > 40) {
        qsizetype space = t.lastIndexOf(QLatin1Char(' '));
        if (space < 0) break;
        t.truncate(space);
    }
    title = t;
}

void MsgBox(const QString& text) { dialogs().message(text, ApplicationTitle(), Dialogs::Icon::None); }
