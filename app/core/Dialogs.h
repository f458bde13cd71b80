#pragma once

#include <QString>

// Everything that would stop and wait for a person, or reach outside the
// program, goes through here: message boxes, the overwrite question, the
// input box, opening a web page and the random draw.
// The windows install the Qt implementation; tests install a scripted one.
class Dialogs {
public:
    enum class Icon { None, Warning };
    enum Answer { Yes = 6, No = 7 };

    virtual ~Dialogs() = default;
    virtual void message(const QString& text, const QString& title, Icon icon) = 0;
    // Yes and No buttons, no icon; returns Yes or No.
    virtual int question(const QString& text, const QString& title) = 0;
    // Returns the text typed, or the empty text when the user cancelled.
    virtual QString input(const QString& prompt, const QString& title, const QString& defaultText) = 0;
    // Opens the address in the desktop's browser; throws when none starts.
    virtual void openUrl(const QString& address) = 0;
    // A whole number from 1 to 100, each equally likely.
    virtual int drawOneToHundred() = 0;
};

Dialogs& dialogs();
// Installs the implementation in force; the caller keeps ownership.
void setDialogs(Dialogs* d);

// The title that every message box without a title of its own shows.
const QString& ApplicationTitle();
void SetApplicationTitle();

// An informational message: OK only, no icon, the application title.
void MsgBox(const QString& text);

// The product's display name.
inline const QString DisplayName = QStringLiteral("Velmarch");
