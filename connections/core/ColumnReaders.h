#pragma once

#include <sql.h>

#include <optional>
#include <vector>

#include "connections/core/ColumnDescription.h"
#include "connections/core/Spool.h"
#include "connections/core/Value.h"

// The column readers: for each SQL type, how its values are read from the
// driver, whole or, on their way to a spool, piece by piece.
namespace Db {

// How the values of a column of one SQL type are read from the driver.
struct ColumnReader {
    using Read = Value (*)(SQLHSTMT s, SQLUSMALLINT column, const ColumnDescription& description,
                           std::vector<char>& buffer);
    int sqlType = 0;
    // The whole value in the current row; buffer is the room long values
    // are read through.
    Read read = nullptr;
    // Set for the values that go to a spool piece by piece as the driver
    // delivers them, and for the kind they go as: bytes, and text kept as
    // text. The others are read whole.
    std::optional<Spool::Pieces> pieces;

    // The value in the current row, into the spool.
    void spool(SQLHSTMT s, SQLUSMALLINT column, const ColumnDescription& description,
               std::vector<char>& buffer, Spool& to) const;
};

// The reader of a column of the SQL type; text for a type not known here.
const ColumnReader& ColumnReaderOf(int sqlType);

}  // namespace Db
