#include "support/ScriptedDialogs.h"

#include <gtest/gtest.h>

ScriptedDialogs::ScriptedDialogs() { setDialogs(this); }
ScriptedDialogs::~ScriptedDialogs() { setDialogs(nullptr); }

void ScriptedDialogs::message(const QString& text, const QString& title, Icon icon) {
    messages.push_back({text, title, icon});
    if (whileShown) whileShown();
}

int ScriptedDialogs::question(const QString& text, const QString& title) {
    questions.push_back({text, title, Icon::None});
    if (whileShown) whileShown();
    if (answers.empty()) {
        ADD_FAILURE() << "unscripted question: " << text.toStdString();
        return No;
    }
    int a = answers.front();
    answers.pop_front();
    return a;
}

QString ScriptedDialogs::input(const QString& prompt, const QString& title, const QString& defaultText) {
    inputBoxes.push_back({prompt, title, Icon::None});
    inputDefaults << defaultText;
    if (whileShown) whileShown();
    if (inputs.empty()) {
        ADD_FAILURE() << "unscripted input box: " << prompt.toStdString();
        return {};
    }
    QString a = inputs.front();
    inputs.pop_front();
    return a;
}

void ScriptedDialogs::openUrl(const QString& address) { opened << address; }
int ScriptedDialogs::drawOneToHundred() { return draw; }

QStringList ScriptedDialogs::texts() const {
    QStringList out;
    for (const auto& m : messages) out << m.text;
    return out;
}
