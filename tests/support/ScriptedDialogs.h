#pragma once

#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <vector>

#include "app/core/Dialogs.h"

// Dialogs that never wait: every box is recorded, questions and input boxes
// take the answers the test scripted, in order.
class ScriptedDialogs : public Dialogs {
public:
    struct Shown {
        QString text;
        QString title;
        Icon icon;
    };

    ScriptedDialogs();
    ~ScriptedDialogs() override;

    void message(const QString& text, const QString& title, Icon icon) override;
    int question(const QString& text, const QString& title) override;
    QString input(const QString& prompt, const QString& title, const QString& defaultText) override;
    void openUrl(const QString& address) override;
    int drawOneToHundred() override;

    // Scripted answers.
    std::deque<int> answers;     // Yes or No, one per question
    std::deque<QString> inputs;  // one per input box
    int draw = 1;

    // What was shown.
    std::vector<Shown> messages;
    std::vector<Shown> questions;
    std::vector<Shown> inputBoxes;  // text is the prompt, title the title
    QStringList inputDefaults;
    QStringList opened;

    QStringList texts() const;
    // Called whenever a box is shown, while it is "open" (tests act inside it).
    std::function<void()> whileShown;
};
