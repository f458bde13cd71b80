#pragma once

#include <QString>

// A text on one line: every line break ("\r\n", "\r" or "\n") becomes one
// space. For the lines of a terminal and of the activity log, where a
// driver's text of several lines would otherwise break a line in two.
inline QString OneLine(QString text) {
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}
