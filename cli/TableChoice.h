#pragma once

#include <QStringList>

// Which tables a command works on: names as given and patterns, where '*'
// stands for any run of characters and '?' for any one, matched against
// the list the window shows without regard to letter case, as the window
// finds names.
namespace TableChoice {

// True when the name holds '*' or '?'.
bool IsPattern(const QString& name);

// The item of that name; without one, the only item that differs from it
// in letter case alone; -1 when there is none or more than one.
int IndexOf(const QStringList& items, const QString& name);

struct Chosen {
    // In the order given: a pattern's items in the list's order, a plain
    // name as given (found or not); each table once, excluded ones left out.
    QStringList names;
    // The first pattern that matched no item; empty when each matched one.
    QString unmatched;
};

// A name holding '*' or '?' that is itself an item is that item, not a
// pattern.
Chosen Choose(const QStringList& items, const QStringList& given, const QStringList& excluded);

// The names and patterns of a --tables-from file, one a line; blank lines
// and lines starting with '#' are skipped.
QStringList NamesIn(const QString& text);

}  // namespace TableChoice
