#include "connections/core/TableShape.h"

#include <sql.h>
#include <sqlext.h>

#include <QRegularExpression>
#include <algorithm>
#include <optional>

#include "connections/core/DriverText.h"
#include "connections/core/Error.h"
#include "connections/core/Handle.h"

namespace Db {

// The connection's handle, for the catalogue calls, which no other part of
// the layer makes.
struct CatalogAccess {
    static SQLHDBC dbc(const Connection& c) { return c.handle(); }
};

namespace {

// One statement handle on the connection, for one catalogue call or query.
class Statement {
public:
    explicit Statement(Connection& c)
        : handle_(statementOf(CatalogAccess::dbc(c), c.QueryTimeout)), h_(handle_.get()) {}

    SQLHSTMT get() const { return h_; }
    void check(SQLRETURN rc) const { Db::check(rc, SQL_HANDLE_STMT, h_); }
    bool next() const {
        const SQLRETURN rc = SQLFetch(h_);
        if (rc == SQL_NO_DATA) return false;
        check(rc);
        return true;
    }
    // Column values are read left to right, as some drivers require.
    std::optional<QString> value(int column) const;
    QString text(int column) const { return value(column).value_or(QString()); }
    int number(int column) const { return text(column).trimmed().toInt(); }

private:
    Handle handle_;
    SQLHSTMT h_;
};

std::optional<QString> Statement::value(int column) const {
    QByteArray bytes;
    char buffer[1024];
    for (;;) {
        SQLLEN written = 0;
        const SQLRETURN rc = SQLGetData(h_, SQLUSMALLINT(column), SQL_C_CHAR, buffer, sizeof buffer, &written);
        if (rc == SQL_NO_DATA) break;
        check(rc);
        const long long n = IndicatorFromDriver(written);
        if (n == SQL_NULL_DATA) return std::nullopt;
        if (n != SQL_NO_TOTAL && n < qsizetype(sizeof buffer)) {
            bytes.append(buffer, qsizetype(n));
            break;
        }
        bytes.append(buffer, qsizetype(sizeof buffer) - 1);  // the rest comes with the next call
    }
    return QString::fromUtf8(bytes);
}

struct Name {
    explicit Name(const QString& text) : bytes(text.toUtf8()) {}
    SQLCHAR* data() { return reinterpret_cast<SQLCHAR*>(bytes.data()); }
    SQLSMALLINT size() const { return SQLSMALLINT(bytes.size()); }
    QByteArray bytes;
};

Key readPrimaryKey(Connection& c, const QString& table) {
    Statement s(c);
    Name t(table);
    s.check(SQLPrimaryKeys(s.get(), nullptr, 0, nullptr, 0, t.data(), t.size()));
    std::vector<std::pair<int, QString>> columns;
    Key key{{}, true, {}};
    while (s.next()) {
        const QString column = s.text(4);
        columns.emplace_back(s.number(5), column);
        key.name = s.text(6);
    }
    std::sort(columns.begin(), columns.end());
    for (const auto& c : columns) key.columns.push_back({c.second, false});
    return key;
}

// The index that holds the primary key up: under the key's name, or unique
// on the key's columns.
bool HoldsPrimaryKey(const Key& index, const Key& primaryKey) {
    if (!index.unique || primaryKey.columns.empty()) return false;
    if (!primaryKey.name.isEmpty() && index.name == primaryKey.name) return true;
    const auto names = [](const Key& k) {
        QStringList n;
        for (const KeyColumn& c : k.columns) n << c.name;
        n.sort();
        return n;
    };
    return names(index) == names(primaryKey);
}

std::vector<Key> readIndexes(Connection& c, const QString& table) {
    Statement s(c);
    Name t(table);
    s.check(SQLStatistics(s.get(), nullptr, 0, nullptr, 0, t.data(), t.size(), SQL_INDEX_ALL, SQL_QUICK));
    std::vector<Key> keys;
    while (s.next()) {
        const bool unique = s.number(4) == SQL_FALSE;
        const QString name = s.text(6);
        if (s.number(7) == SQL_TABLE_STAT) continue;
        const QString column = s.text(9);
        const bool descending = s.text(10) == QLatin1String("D");
        if (keys.empty() || keys.back().name != name) keys.push_back({name, unique, {}});
        keys.back().columns.push_back({column, descending});
    }
    return keys;
}

// SQLColumns takes the table name as a pattern: only the table's own rows.
std::vector<std::pair<QString, QString>> readDefaults(Connection& c, const QString& table) {
    Statement s(c);
    Name t(table);
    s.check(SQLColumns(s.get(), nullptr, 0, nullptr, 0, t.data(), t.size(), nullptr, 0));
    std::vector<std::pair<QString, QString>> defaults;
    while (s.next()) {
        if (s.text(3) != table) continue;
        const QString column = s.text(4);
        const std::optional<QString> def = s.value(13);
        if (def && !def->trimmed().isEmpty()) defaults.emplace_back(column, *def);
    }
    return defaults;
}

QStringList readAutoIncrement(Connection& c, const QString& selectAll) {
    Statement s(c);
    QByteArray text = selectAll.toUtf8();
    s.check(SQLPrepare(s.get(), reinterpret_cast<SQLCHAR*>(text.data()), SQLINTEGER(text.size())));
    SQLSMALLINT columns = 0;
    s.check(SQLNumResultCols(s.get(), &columns));
    QStringList names;
    for (SQLUSMALLINT i = 1; i <= SQLUSMALLINT(columns); ++i) {
        SQLLEN autoUnique = SQL_FALSE;
        if (!succeeded(SQLColAttribute(s.get(), i, SQL_DESC_AUTO_UNIQUE_VALUE, nullptr, 0, nullptr, &autoUnique)) ||
            autoUnique != SQL_TRUE)
            continue;
        SQLCHAR name[1024] = {};
        SQLSMALLINT length = 0;
        s.check(SQLColAttribute(s.get(), i, SQL_DESC_NAME, name, sizeof name, &length, nullptr));
        names << QString::fromUtf8(reinterpret_cast<const char*>(name));
    }
    return names;
}

QString columnList(const QStringList& names) { return QLatin1Char('(') + names.join(QStringLiteral(", ")) + QLatin1Char(')'); }

std::vector<Clause> readForeignKeys(Connection& c, const QString& table) {
    Statement s(c);
    Name t(table);
    s.check(SQLForeignKeys(s.get(), nullptr, 0, nullptr, 0, nullptr, 0, nullptr, 0, nullptr, 0, t.data(), t.size()));
    struct Reference {
        QString name, parent;
        QStringList from, to;
    };
    std::vector<Reference> refs;
    while (s.next()) {
        const QString parent = s.text(3), to = s.text(4), from = s.text(8);
        const int seq = s.number(9);
        const QString name = s.text(12);
        if (refs.empty() || seq <= 1) refs.push_back({name, parent, {}, {}});
        refs.back().from << from;
        refs.back().to << to;
    }
    std::vector<Clause> keys;
    for (const Reference& r : refs)
        keys.push_back({r.name, QStringLiteral("FOREIGN KEY %1 REFERENCES %2 %3")
                                    .arg(columnList(r.from), r.parent, columnList(r.to))});
    return keys;
}

// Where a database keeps its check constraints and triggers, as name and
// text rows (a text in several rows comes whole); %1 is the table's name
// inside a quoted literal. SQLite keeps its checks in the CREATE TABLE.
struct Catalogue {
    const char* dbms;  // how SQL_DBMS_NAME begins
    const char* checks;
    const char* triggers;
    bool checksInCreate;
};

constexpr Catalogue Catalogues[] = {
    {"DB2",
     "SELECT CONSTNAME, 'CHECK (' || TEXT || ')' FROM SYSCAT.CHECKS WHERE TABSCHEMA = CURRENT SCHEMA AND "
     "TABNAME = '%1' AND TYPE = 'C'",
     "SELECT TRIGNAME, TEXT FROM SYSCAT.TRIGGERS WHERE TABSCHEMA = CURRENT SCHEMA AND TABNAME = '%1'", false},
    {"Adaptive Server",
     "SELECT o.name, m.text FROM sysconstraints k, sysobjects o, syscomments m WHERE k.tableid = "
     "object_id('%1') AND k.status & 128 = 128 AND o.id = k.constrid AND m.id = k.constrid ORDER BY o.name, "
     "m.colid",
     "SELECT o.name, m.text FROM sysobjects o, syscomments m WHERE o.type = 'TR' AND o.deltrig = "
     "object_id('%1') AND m.id = o.id ORDER BY o.name, m.colid",
     false},
    {"MariaDB", nullptr, nullptr, false},
    {"MySQL",
     "SELECT CONSTRAINT_NAME, CONCAT('CHECK (', CHECK_CLAUSE, ')') FROM information_schema.CHECK_CONSTRAINTS "
     "WHERE CONSTRAINT_SCHEMA = DATABASE() AND TABLE_NAME = '%1'",
     "SELECT TRIGGER_NAME, CONCAT(ACTION_TIMING, ' ', EVENT_MANIPULATION, ' ', ACTION_STATEMENT) FROM "
     "information_schema.TRIGGERS WHERE TRIGGER_SCHEMA = DATABASE() AND EVENT_OBJECT_TABLE = '%1'",
     false},
    {"SQLite", "SELECT name, sql FROM sqlite_master WHERE type = 'table' AND name = '%1'",
     "SELECT name, sql FROM sqlite_master WHERE type = 'trigger' AND tbl_name = '%1'", true},
};

QString dbmsName(SQLHDBC dbc) {
    SQLCHAR name[256] = {};
    SQLSMALLINT length = 0;
    SQLGetInfo(dbc, SQL_DBMS_NAME, name, sizeof name, &length);
    return QString::fromUtf8(reinterpret_cast<const char*>(name));
}

const Catalogue* catalogueOf(const QString& dbms) {
    for (size_t i = 0; i < std::size(Catalogues); ++i)
        if (dbms.startsWith(QLatin1String(Catalogues[i].dbms), Qt::CaseInsensitive))
            return Catalogues[i].checks ? &Catalogues[i] : &Catalogues[i + 1];  // MariaDB reads as MySQL
    return nullptr;
}

std::vector<Clause> readClauses(Connection& c, const char* query, const QString& table) {
    Statement s(c);
    QString literal = table;
    literal.replace(QLatin1Char('\''), QStringLiteral("''"));
    QByteArray text = QString::fromLatin1(query).arg(literal).toUtf8();
    s.check(SQLExecDirect(s.get(), reinterpret_cast<SQLCHAR*>(text.data()), SQLINTEGER(text.size())));
    std::vector<Clause> clauses;
    while (s.next()) {
        const QString name = s.text(1).trimmed(), part = s.text(2);
        if (!clauses.empty() && clauses.back().name == name)
            clauses.back().text += part;
        else
            clauses.push_back({name, part});
    }
    for (Clause& clause : clauses) clause.text = clause.text.trimmed();
    return clauses;
}

// The CHECK clauses of a CREATE TABLE, each with the name of its
// CONSTRAINT when it has one.
std::vector<Clause> checksInCreate(const QString& create) {
    static const QRegularExpression start(
        QStringLiteral(R"((?:\bCONSTRAINT\s+("[^"]*"|\[[^\]]*\]|`[^`]*`|\w+)\s+)?(\bCHECK\s*\())"),
        QRegularExpression::CaseInsensitiveOption);
    std::vector<Clause> checks;
    for (auto it = start.globalMatch(create); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        qsizetype end = m.capturedEnd(), depth = 1;
        for (; end < create.size() && depth > 0; ++end)
            depth += create[end] == QLatin1Char('(') ? 1 : create[end] == QLatin1Char(')') ? -1 : 0;
        QString name = m.captured(1);
        if (name.size() > 1 && !name[0].isLetterOrNumber() && name[0] != QLatin1Char('_'))
            name = name.mid(1).chopped(1);  // its quotes or brackets
        checks.push_back({name, create.mid(m.capturedStart(2), end - m.capturedStart(2))});
    }
    return checks;
}

// Drivers differ on the order SQLPrimaryKeys gives (MariaDB's and SQLite's
// give the table's column order): the index that holds the key up has the
// key's own order, and is no index of its own.
void takeKeyIndex(TableShape& shape) {
    const auto holder = std::find_if(shape.indexes.begin(), shape.indexes.end(),
                                     [&](const Key& k) { return HoldsPrimaryKey(k, shape.primaryKey); });
    if (holder == shape.indexes.end()) return;
    shape.primaryKey.columns.clear();
    for (const KeyColumn& c : holder->columns) shape.primaryKey.columns.push_back({c.name, false});
    shape.indexes.erase(holder);
}

}  // namespace

TableShape ReadTableShape(Connection& connection, const QString& table, const QString& selectAll) {
    TableShape shape;
    shape.primaryKey = readPrimaryKey(connection, table);
    shape.indexes = readIndexes(connection, table);
    takeKeyIndex(shape);
    shape.defaults = readDefaults(connection, table);
    shape.autoIncrement = readAutoIncrement(connection, selectAll);
    shape.foreignKeys = readForeignKeys(connection, table);
    const Catalogue* catalogue = catalogueOf(dbmsName(CatalogAccess::dbc(connection)));
    if (!catalogue) return shape;
    shape.triggers = readClauses(connection, catalogue->triggers, table);
    shape.checks = readClauses(connection, catalogue->checks, table);
    if (catalogue->checksInCreate)
        shape.checks = shape.checks.empty() ? std::vector<Clause>() : checksInCreate(shape.checks.front().text);
    return shape;
}

}  // namespace Db
