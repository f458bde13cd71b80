#pragma once

#include <QString>
#include <QStringList>
#include <vector>

#include "connections/core/BatchInsert.h"
#include "connections/core/Recordset.h"
#include "connections/core/Value.h"
#include "transfer/core/Datatype.h"

// The column types of a copy that keeps them: each source column's kind,
// size, precision, scale and nullability in the target's own spelling,
// chosen from the column as the source driver describes it, with the way
// its values are bound and the form they take where the target type needs
// another one.
namespace KeptTypes {

using Datatype::Direction;

// What the kept type needs done to a value on its way.
enum class Conversion {
    None,
    BitAsNumber,    // true and false as 1 and 0: a bit kept in a number column
    TimestampText,  // yyyy-mm-dd hh:mm:ss and every fraction digit the source has
    Text,           // the value's text, for a type the target has no match for
    DefaultText,    // as a copy without kept types sends it: its column type, its value text
};

struct Column {
    QString type;  // what follows the column's name in CREATE TABLE
    Db::Parameter parameter;
    Conversion conversion = Conversion::None;
    int fractionDigits = 0;  // of a timestamp kept as text
    QString lacks;           // of a DefaultText column: what the target has no type for
    bool operator==(const Column&) const = default;
};

Column For(Direction d, const Db::ColumnDescription& source);

// The kept columns of a table, and a note for each column that does not
// keep its type, naming the table, the column and what it became.
struct Table {
    std::vector<Column> columns;
    QStringList notes;
};
Table For(Direction d, const QString& table, const Db::Recordset& source);

// The value as the kept column takes it. A DefaultText column's value is
// the caller's to write, as the copy without kept types writes it.
Db::Value Convert(const Column& column, const Db::Value& value);

}  // namespace KeptTypes
