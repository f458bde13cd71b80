#include "transfer/core/CopyStatements.h"

#include "catalog/core/Identifiers.h"
#include "catalog/core/LetterCase.h"
#include "catalog/core/Statements.h"

namespace Transfer {

namespace {

QString Target(Direction d, const QString& name) {
    return d == Direction::ToAse ? Identifiers::Ase(name) : Identifiers::Db2(name);
}

QString Source(Direction d, const QString& name) {
    return d == Direction::ToAse ? Identifiers::Db2(name) : Identifiers::Ase(name);
}

// Doubles the quotes on the way into the statement, so a value is copied
// once; most values hold none and go in with a single append.
void AppendQuoted(QString& statement, const QString& text) {
    const QChar quote = QLatin1Char('\'');
    qsizetype from = 0;
    for (qsizetype at = text.indexOf(quote); at >= 0; at = text.indexOf(quote, from)) {
        statement.append(QStringView(text).mid(from, at + 1 - from));
        statement.append(quote);
        from = at + 1;
    }
    statement.append(QStringView(text).mid(from));
}

// Towards DB2 an empty text goes as NULL.
bool GoesAsNull(Direction d, const QString& text) { return d == Direction::ToDb2 && text.isEmpty(); }

}  // namespace

QString SelectAll(Direction d, const QString& table) {
    return QStringLiteral("SELECT * FROM ") + Source(d, table);
}

QString CountAll(Direction d, const QString& table) {
    return QStringLiteral("SELECT COUNT(*) FROM ") + Source(d, table);
}

QString DropTarget(Direction d, const QString& table) {
    return d == Direction::ToAse ? Statements::DropAseTable(table) : Statements::DropDb2Table(table);
}

QString CreateTableStart(Direction d, const QString& table) {
    return QStringLiteral("CREATE TABLE ") + Target(d, table) + QLatin1Char('(');
}

void AppendColumn(Direction d, QString& statement, const QString& column, int fieldTypeCode) {
    statement += Target(d, column);
    statement += Datatype::ColumnTypeTextFor(d, fieldTypeCode);
}

void AppendKeptColumn(Direction d, QString& statement, const QString& column, const QString& type) {
    statement += Target(d, column) + QLatin1Char(' ') + type + QLatin1Char(',');
}

void EndCreateTable(Direction d, QString& statement) {
    statement.chop(1);  // the comma that ends every type text
    statement += d == Direction::ToAse ? QLatin1String(")") : QLatin1String(");");
}

QString InsertStart(Direction d, const QString& table) {
    return QStringLiteral("INSERT INTO ") + Target(d, table) + QStringLiteral(" VALUES('");
}

void AppendValue(Direction d, QString& statement, const QString& text) {
    if (GoesAsNull(d, text)) {
        statement.chop(1);  // the quote that would have opened the literal
        statement += QLatin1String("NULL, '");
        return;
    }
    AppendQuoted(statement, text);
    statement += QLatin1String("', '");
}

void EndInsert(QString& statement) {
    statement.chop(3);  // ", '" that would have opened one more value
    statement += QLatin1Char(')');
}

QString PreparedInsert(Direction d, const QString& table, int columns) {
    QStringList markers;
    for (int j = 0; j < columns; ++j) markers << QStringLiteral("?");
    return QStringLiteral("INSERT INTO ") + Target(d, table) + QStringLiteral(" VALUES(") +
           markers.join(QStringLiteral(", ")) + QLatin1Char(')');
}

Db::Value BoundText(Direction d, const QString& text) {
    return GoesAsNull(d, text) ? Db::Value(Db::Null{}) : Db::Value(text);
}

bool TakesDb2Date(Direction d, int fieldTypeCode) {
    return d == Direction::ToDb2 && Datatype::ColumnTypeTextFor(d, fieldTypeCode) == QLatin1String(" DATE,");
}

const Db::Value& ValueOrDefault(const Db::Value& value, const Db::Value& fallback) {
    return Db::isNull(value) ? fallback : value;
}

bool ListHasItem(const QStringList& items, const QString& name) {
    const QString wanted = LCase(name);
    for (const QString& item : items)
        if (LCase(item) == wanted) return true;
    return false;
}

QString TargetEntry(Direction d, const QString& table) {
    return d == Direction::ToAse ? LCase(table) : table;
}

}  // namespace Transfer
