#pragma once

namespace Db {

// A column as the driver describes it (SQLDescribeCol, SQLColAttribute).
// Size and decimal digits mean what ODBC's column size and decimal digits
// mean for the type: characters, bytes or precision; scale, or digits of a
// second's fraction. A column the driver cannot vouch for counts as nullable.
// ODBC calls every column that is not a number unsigned (and SQLite's driver
// its doubles too), so unsigned says something of integer columns only.
struct ColumnDescription {
    int sqlType = 0;
    unsigned long long size = 0;
    int decimalDigits = 0;
    bool nullable = true;
    bool isUnsigned = false;
    bool operator==(const ColumnDescription&) const = default;
};

}  // namespace Db
