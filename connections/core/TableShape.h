#pragma once

#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

#include "connections/core/Connection.h"
#include "connections/core/Recordset.h"

// What a table holds beyond its columns' types, as its database tells it
// through the driver's catalogue functions (SQLPrimaryKeys, SQLStatistics,
// SQLColumns, SQLForeignKeys): its primary key, its indexes with their
// columns in order and direction, each column's default as the driver
// spells it, and what a copy cannot carry over, with the source's text of
// it. Check constraints and triggers have no catalogue function: they are
// read from the database's own catalogue, chosen by the name the driver
// gives its database.
namespace Db {

struct KeyColumn {
    QString name;
    bool descending = false;
    bool operator==(const KeyColumn&) const = default;
};

// A primary key or an index; a primary key without columns is none.
struct Key {
    QString name;  // empty when the source gives it none
    bool unique = false;
    std::vector<KeyColumn> columns;
    bool operator==(const Key&) const = default;
};

// Something of the table told by its name and its source text.
struct Clause {
    QString name;
    QString text;
    bool operator==(const Clause&) const = default;
};

struct TableShape {
    Key primaryKey;
    // In the driver's order, the primary key's own index left out.
    std::vector<Key> indexes;
    // Column and COLUMN_DEF, for the columns that have a default.
    std::vector<std::pair<QString, QString>> defaults;
    // The columns the database numbers itself (identity, auto-increment).
    QStringList autoIncrement;
    std::vector<Clause> foreignKeys, checks, triggers;
};

// The shape of the table; selectAll is the SELECT * that reads it, prepared
// (never run) so the driver describes which columns number themselves.
TableShape ReadTableShape(Connection& connection, const QString& table, const QString& selectAll);

}  // namespace Db
