#pragma once

#include <QString>

// ADO's data types: the code a field's Type holds, and the name ADO gives it.
namespace Db {

// ADO data-type code of an ODBC SQL type (unsigned as the column reports it).
int AdoTypeCode(int sqlType, bool isUnsigned);

// The ADO data-type name of a type code, spelled as ADO spells it; empty for
// a code ADO does not define (array-flagged codes included).
QString AdoTypeName(int code);

}  // namespace Db
