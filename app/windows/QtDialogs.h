#pragma once

#include "app/core/Dialogs.h"

// The dialogs a person sees: Qt's message box and input box, the desktop's
// browser and a clock-seeded draw.
class QtDialogs : public Dialogs {
public:
    QtDialogs();
    void message(const QString& text, const QString& title, Icon icon) override;
    int question(const QString& text, const QString& title) override;
    QString input(const QString& prompt, const QString& title, const QString& defaultText) override;
    void openUrl(const QString& address) override;
    int drawOneToHundred() override;
};
