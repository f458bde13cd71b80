#pragma once

#include <QString>
#include <QStringList>
#include <vector>

#include "connections/core/TableShape.h"
#include "transfer/core/Datatype.h"

// The keys, indexes and defaults of a copy that keeps them, in the target's
// own spelling: each column's constant default goes into the CREATE TABLE,
// the primary key and the indexes are created once every row is in (the key
// first, then the unique indexes, then the others), and what the target is
// not given is named, with the source's text of it.
namespace KeptKeys {

using Datatype::Direction;

// Longest name of a constraint or index: DB2's 128 bytes, ASE's 253 for a
// delimited name (255 undelimited).
constexpr int Db2NameBytes = 128, AseNameBytes = 253;

// A column default as the target takes it: empty when there is none, and
// isExpression for one that is neither a number, quoted text nor the
// current date, time or timestamp.
struct Default {
    QString text;
    bool isExpression = false;
};
Default DefaultFor(Direction d, const QString& columnDef);

// The kept column type with " DEFAULT text" before its nullability.
QString WithDefault(Direction d, const QString& keptType, const QString& defaultText);

// The name the target is given: the source's where the target takes it,
// else one made of the table's and the columns' names and the kind
// ("pk", "uq", "ix"), cut to the target's limit.
QString KeyName(Direction d, const QString& sourceName, const QString& table, const Db::Key& key,
                const QString& kind);

// A statement sent after the rows, and what it creates in words.
struct Step {
    QString what;  // "primary key PRIMARY", "unique index uq", "index ix"
    QString statement;
};

// Something of the source table the copy does not create.
struct NotKept {
    QString what;        // "foreign key fk", "trigger tr", ...
    QString sourceText;  // as the source gives it, for the user to apply
};

struct Plan {
    std::vector<QString> defaults;  // for each column, its default text or empty
    std::vector<Step> afterRows;
    std::vector<NotKept> notKept;
};

Plan For(Direction d, const QString& table, const QStringList& columns, const Db::TableShape& shape);

}  // namespace KeptKeys
