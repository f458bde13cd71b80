#pragma once

#include <QLocale>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

#include "catalog/core/CommandHost.h"
#include "connections/core/Connection.h"
#include "connections/core/Recordset.h"
#include "transfer/core/Datatype.h"
#include "transfer/core/KeptKeys.h"
#include "transfer/core/KeptTypes.h"
#include "transfer/core/Rejects.h"
#include "transfer/core/RunReporter.h"
#include "transfer/core/Send.h"
#include "transfer/core/Verify.h"

// The lines each direction reports for the steps of one table's copy, from
// the CREATE TABLE on.
struct CopyLines {
    int yieldColumn, column, endCreate, create;
    int count, yieldRow, progress, startInsert, yieldValue, valueText, appendValue, endInsert, insert, next;
    int pointer, resetBar, closeSource, addToList;
};

// One table's copy, from its CREATE TABLE to its last row: what every step
// of it needs, and the tally of its rows.
struct CopyRun {
    CopyRun(Procedure& p, RunReporter& reporter, const CommandRun& run, Datatype::Direction d,
            const CopyLines& at, const Send::Options& options, CommandHost& host, Db::Recordset& rs,
            Db::Connection& target, TableCopy& copy);

    Procedure& p;
    RunReporter& reporter;
    const CommandRun& run;
    const Datatype::Direction d;
    const CopyLines& at;
    const Send::Options& options;
    CommandHost& host;
    Db::Recordset& rs;
    Db::Connection& target;
    TableCopy& o;
    const QLocale locale;
    const int columns;
    std::vector<bool> db2Dates;           // the columns the target makes DB2 DATEs
    std::vector<KeptTypes::Column> kept;  // with kept types, each column's
    KeptKeys::Plan keys;                  // with kept keys
    std::optional<Verify> verify;
    std::unique_ptr<Rejects::File> rejects;

    // The last step failed because its connection is gone.
    bool lost() const;
    // The text the literal INSERT carries for column j's value.
    QString text(int j, const Db::Value& v) const;
    // A row the target stored, with the values it was sent.
    void stored(const std::vector<Db::Value>& values);
    // A value as the rejects file writes it, given the text the literal
    // INSERT carries for it.
    static Rejects::Field rejectField(const Db::Value& v, const QString& text);
    // A row the target refused: false when the table stops here. With a
    // rejects file, its values and the driver's text go there.
    bool refused(const QString& kind, long long row, bool connectionLost, const Rejects::Row* values = nullptr,
                 const QString& error = {});

private:
    void keepRejected(const Rejects::Row& values, const QString& error);

    RepeatedFailures repeated_;
    bool rejectsFailed_ = false;
};

// Where a table's rows go, one value at a time: literal INSERT statements
// as the window sends them, or bound parameters in batches.
class RowSink {
public:
    virtual ~RowSink() = default;
    virtual void startRow() {}
    // Takes column j's value of the row under way.
    virtual void read(int j, const Db::Value& v) = 0;
    // After a value was read, as the literal statement grows.
    virtual void append(int /*j*/) {}
    // Sends (or queues) the row read: false when the table stops here.
    virtual bool send(long long row) = 0;
    // After the last row, when the table did not stop: what still waits.
    virtual void finish() {}
};

// The sink the options ask for; none, with the failure reported, when its
// statement cannot be prepared.
std::unique_ptr<RowSink> MakeRowSink(CopyRun& run, const QString& table);
