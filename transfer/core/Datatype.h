#pragma once

#include <QString>
#include <QtGlobal>

// The column type a table gets on the other side. The choice is deliberately
// coarse: every value travels as a quoted text literal, so only the DB2 DATE
// columns are worth keeping typed.
namespace Datatype {

enum class Direction { ToAse, ToDb2 };

// The text that follows a delimited column name in CREATE TABLE: a leading
// space and a trailing comma, so the caller only trims the last comma.
QString ColumnTypeText(Direction d, const QString& lowerCasedTypeName);

// ColumnTypeText for a field's raw type code, by its ADO name (AdoTypes). A
// code that does not fit in 16 bits is unknown, never wrapped onto another.
QString ColumnTypeTextFor(Direction d, int fieldTypeCode);

}  // namespace Datatype
