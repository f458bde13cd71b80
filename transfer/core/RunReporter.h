#pragma once

#include <QSet>
#include <QString>

#include "catalog/core/CommandHost.h"

// A run's failures on their way to the host, naming the table and the row
// they happened at. Within one table a failure of a kind already shown is
// counted, not shown again: one full disk must not become a box per row.
class RunReporter : public Reporter {
public:
    explicit RunReporter(CommandHost& host) : host_(host) {}

    void beginTable(const QString& table);
    void endTable() { beginTable(QString()); }
    void atRow(long long row) { row_ = row; }

    void report(const Failure& failure) override;

private:
    CommandHost& host_;
    QString table_;
    long long row_ = 0;
    QSet<QString> shown_;
};

// After this many rows in a row have failed the same way, the rest of the
// table would only fail again.
constexpr int RepeatedFailureLimit = 100;

// Tells when a table has failed the same way row after row: a failure of
// the kind before it, at the row after it, adds to the run; anything else
// starts a new one.
class RepeatedFailures {
public:
    // True when the table should stop here.
    bool failed(const QString& kind, long long row);
    void succeeded() { inARow_ = 0; }

private:
    QString kind_;
    long long row_ = -1;
    int inARow_ = 0;
};

// What the user is told of a table that did not arrive whole.
QString NotCopiedMessage(const TableCopy& copy);
