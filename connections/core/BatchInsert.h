#pragma once

#include <QString>
#include <memory>
#include <vector>

#include "connections/core/ColumnDescription.h"
#include "connections/core/Error.h"
#include "connections/core/Value.h"

namespace Db {

class Connection;

// How one column's values travel to the driver: the C form they are bound
// in, and the SQL type, size and decimal digits the parameter is described
// with. A size of 0 leaves it to the longest value sent.
struct Parameter {
    enum class Kind {
        Text,       // QString as UTF-8; a Guid as its 36 characters without braces
        Integer,    // std::int64_t as SQL_C_SBIGINT
        Unsigned,   // std::uint64_t as SQL_C_UBIGINT
        Double,     // SQL_C_DOUBLE
        Float,      // SQL_C_FLOAT
        Bit,        // bool as SQL_C_BIT
        Decimal,    // Decimal as its digits: no binary form holds every precision
        Date,       // SQL_C_TYPE_DATE
        Time,       // Time (or the text a driver gave) as hh:mm:ss.fffffffff
        Timestamp,  // SQL_C_TYPE_TIMESTAMP, to the nanosecond
        Binary,     // QByteArray as SQL_C_BINARY
    };
    Kind kind = Kind::Text;
    int sqlType = 12;  // SQL_VARCHAR
    unsigned long long size = 0;
    int decimalDigits = 0;
    bool operator==(const Parameter&) const = default;
};

// Every value as UTF-8 text, NULL as NULL: the column takes what a quoted
// literal would have given it.
Parameter TextParameter();
// The values of a source column bound in the kind the recordset read them
// in: numbers, dates, timestamps and bytes in their C form, decimals and
// times as their exact digits, never as regional text.
Parameter TypedParameter(const ColumnDescription& source);

// A row the target refused: its number among every row given to the batch
// (the first is 1) and the driver's diagnostics. When the connection was
// lost (or the server did not answer in time), nothing more was sent: that
// row and every row after it in the batch stay unsent.
struct RowFailure {
    long long row = 0;
    Error error;
};

// Rows sent through one prepared INSERT with a parameter marker per column,
// rowsPerBatch rows of parameters per execution, each batch committed as one
// transaction; autocommit is off while the batch lives and is restored after,
// so a statement run on the connection meanwhile joins the batch's
// transaction.
//
// A batch that does not come back wholly stored is rolled back and its rows
// are sent again one at a time, each committed alone, so the rows refused are
// known exactly and every other row is stored once, whatever the driver does
// with the rest of an array after a failure. A driver that cannot take arrays
// gets the rows one at a time from the start. A value longer than a megabyte
// goes in a row sent alone, in pieces (data at execution), so the arrays stay
// small and a server that refuses the length refuses that row only.
class BatchInsert {
public:
    static constexpr int MaxRowsPerBatch = 10000;

    // Prepares the statement; the parameters describe its markers in order.
    BatchInsert(Connection& connection, const QString& statement, std::vector<Parameter> parameters,
                int rowsPerBatch);
    ~BatchInsert();
    BatchInsert(const BatchInsert&) = delete;
    BatchInsert& operator=(const BatchInsert&) = delete;

    // Takes one row, a value per parameter. When the row completes a batch
    // (or the batch has grown too large to hold more), the batch is sent and
    // committed, and the rows of it that the target refused are returned.
    std::vector<RowFailure> add(const std::vector<Value>& row);
    // Sends and commits the rows taken since the last batch went. Rows not
    // flushed when the batch ends are not sent.
    std::vector<RowFailure> flush();

    // False when the driver takes one row of parameters per execution.
    bool sendsArrays() const;
    long long rowsTaken() const;
    // Rows stored or refused so far; the rest of those taken wait.
    long long rowsSent() const;

private:
    struct State;
    std::unique_ptr<State> d_;
};

}  // namespace Db
