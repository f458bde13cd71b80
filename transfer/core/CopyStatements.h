#pragma once

#include <QString>
#include <QStringList>

#include "connections/core/Value.h"
#include "transfer/core/Datatype.h"

// The statements of a table transfer, in the form each direction sends.
// CREATE TABLE and INSERT are built a piece at a time, as the transfer reads
// the source, so that the window can yield between columns and values; the
// pieces append to the caller's statement so one buffer serves every row.
//
// Every name is delimited for the database it goes to: towards ASE a name
// holding ']' cannot be written at all (Identifiers::AseCanDelimit), and the
// caller sends nothing for such a table.
namespace Transfer {

using Datatype::Direction;

// SELECT * of the source table: a DB2 name when sending to ASE, an ASE name
// when sending to DB2.
QString SelectAll(Direction d, const QString& table);
// SELECT COUNT(*) of the source table, named as SelectAll names it.
QString CountAll(Direction d, const QString& table);
// DROP TABLE of the target table.
QString DropTarget(Direction d, const QString& table);

// "CREATE TABLE name(", then one AppendColumn per source field, then
// EndCreateTable.
QString CreateTableStart(Direction d, const QString& table);
void AppendColumn(Direction d, QString& statement, const QString& column, int fieldTypeCode);
// A column whose type is given whole (a kept type): name, a space, the type.
void AppendKeptColumn(Direction d, QString& statement, const QString& column, const QString& type);
void EndCreateTable(Direction d, QString& statement);

// "INSERT INTO name VALUES('", then one AppendValue per field, then
// EndInsert. Every value is a quoted literal with its quotes doubled;
// towards DB2 an empty text becomes NULL, towards ASE it stays ''.
QString InsertStart(Direction d, const QString& table);
void AppendValue(Direction d, QString& statement, const QString& text);
void EndInsert(QString& statement);

// "INSERT INTO name VALUES(?, ?, ...)", a marker per column: the INSERT of
// rows that go as bound parameters.
QString PreparedInsert(Direction d, const QString& table, int columns);

// The value a text parameter carries in place of the literal AppendValue
// writes for the text: NULL where that literal is NULL, else the text.
Db::Value BoundText(Direction d, const QString& text);

// True for a column that the target creates as a DB2 DATE: its values go
// in as Db2DateText, every other value as ValueText.
bool TakesDb2Date(Direction d, int fieldTypeCode);

// The default when the value is null, otherwise the value itself.
const Db::Value& ValueOrDefault(const Db::Value& value, const Db::Value& fallback);
// The result may be the fallback: a temporary one would not outlive it.
const Db::Value& ValueOrDefault(const Db::Value& value, Db::Value&& fallback) = delete;

// True when some item equals the name once both are lower-cased.
bool ListHasItem(const QStringList& items, const QString& name);

// The entry the target list shows for a copied table: lower case in the ASE
// list, as listed in the DB2 list.
QString TargetEntry(Direction d, const QString& table);

}  // namespace Transfer
