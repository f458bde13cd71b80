#include "connections/core/Recordset.h"

#include <sql.h>
#include <sqlext.h>

#include <algorithm>

#include "connections/core/AdoTypes.h"
#include "connections/core/ColumnReaders.h"
#include "connections/core/Connection.h"
#include "connections/core/DriverText.h"
#include "connections/core/Handle.h"
#include "connections/core/Spool.h"
#include "connections/core/StatementWatch.h"

namespace Db {

struct Recordset::Statement {
    explicit Statement(Connection& c) : connection(&c), handle(statementOf(c.handle(), c.QueryTimeout)) {}
    Connection* connection;
    Handle handle;
    std::vector<char> buffer = std::vector<char>(64 * 1024);
};

namespace {

// Column c (counted from 0) as the driver describes it.
Field describedColumn(SQLHSTMT s, SQLSMALLINT c) {
    std::vector<SQLCHAR> name(1024);
    SQLSMALLINT nameLength = 0, dataType = 0, digits = 0, nullable = 0;
    SQLULEN size = 0;
    // A name longer than the room offered comes again, whole. Some
    // drivers (SQLite's) give the length they cut it to, not the
    // length it has, and no warning, so the room grows while a name
    // fills it.
    for (;;) {
        const SQLRETURN rc = SQLDescribeCol(s, c + 1, name.data(), SQLSMALLINT(name.size()), &nameLength,
                                            &dataType, &size, &digits, &nullable);
        check(rc, SQL_HANDLE_STMT, s);
        const bool cut = nameLength >= SQLSMALLINT(name.size() - 1);
        if (!cut || name.size() >= 32768) break;
        name.resize(std::min<size_t>(32768, std::max<size_t>(name.size() * 2, size_t(nameLength) + 1)));
    }
    SQLLEN isUnsigned = SQL_FALSE;
    SQLColAttribute(s, c + 1, SQL_DESC_UNSIGNED, nullptr, 0, nullptr, &isUnsigned);
    Field f;
    f.Name = fromDriver(name.data(), std::min<qsizetype>(nameLength, qsizetype(name.size()) - 1));
    f.Type = AdoTypeCode(dataType, isUnsigned == SQL_TRUE);
    f.Description = {dataType, size, digits, nullable != SQL_NO_NULLS, isUnsigned == SQL_TRUE};
    return f;
}

const QString kNoCurrentRecord =
    QStringLiteral("Either BOF or EOF is True, or the current record has been deleted.");

}  // namespace

Recordset::Recordset() = default;
Recordset::~Recordset() = default;

const Value& Field::Value() const {
    if (owner_->atEnd_) throw Error(kNoCurrentRecord, {});
    return owner_->current_.at(index_);
}

void Recordset::Open(const QString& source, Connection& connection) {
    connection.handle();
    connection.notify(source);
    auto stmt = std::make_unique<Statement>(connection);
    SQLHSTMT s = stmt->handle.get();
    QByteArray text = toDriver(source);
    StatementWatch watch(s, connection.QueryTimeout);
    SQLRETURN rc =
        SQLExecDirect(s, reinterpret_cast<SQLCHAR*>(text.data()), static_cast<SQLINTEGER>(text.size()));
    if (!succeeded(rc)) connection.failed(s, rc, watch.cancelled());
    start(std::move(stmt), connection.CursorLocation == UseClient, &watch);
}

// The schema comes as a recordset, started as Open starts one.
std::unique_ptr<Recordset> Connection::OpenSchema(int schema) {
    if (schema != SchemaTables) throw Error(QStringLiteral("Schema %1 is not supported.").arg(schema), {});
    auto stmt = std::make_unique<Recordset::Statement>(*this);
    SQLHSTMT s = stmt->handle.get();
    StatementWatch watch(s, QueryTimeout);
    SQLRETURN rc = SQLTables(s, nullptr, 0, nullptr, 0, nullptr, 0, nullptr, 0);
    if (!succeeded(rc)) failed(s, rc, watch.cancelled());
    auto rs = std::make_unique<Recordset>();
    rs->start(std::move(stmt), CursorLocation == UseClient, &watch);
    return rs;
}

void Recordset::start(std::unique_ptr<Statement> statement, bool clientSide, StatementWatch* watch) {
    SQLHSTMT s = statement->handle.get();
    SQLSMALLINT columns = 0;
    check(SQLNumResultCols(s, &columns), SQL_HANDLE_STMT, s);
    std::vector<Field> fields;
    std::vector<const ColumnReader*> readers;
    for (SQLSMALLINT c = 0; c < columns; ++c) {
        fields.push_back(describedColumn(s, c));
        fields.back().owner_ = this;
        fields.back().index_ = c;
        readers.push_back(&ColumnReaderOf(fields.back().Description.sqlType));
    }
    statement_ = std::move(statement);
    fields_ = std::move(fields);
    readers_ = std::move(readers);
    clientSide_ = clientSide;
    spool_.reset();
    atEnd_ = false;
    if (clientSide_)
        spoolAll(watch);
    else
        MoveNext();
}

// Reads every row into the spool, and lets the statement go.
void Recordset::spoolAll(StatementWatch* watch) {
    try {
        spool_ = std::make_unique<Spool>(static_cast<int>(fields_.size()));
        // Each row that comes in is progress: a long read is no hang.
        while (spoolRow(watch)) {
            if (watch) watch->progress();
            if (eachRow_) eachRow_();
        }
        release(watch);
        // The first row is read back here, after the last of the file is
        // written: a spool that fails fails Open.
        MoveNext();
    } catch (...) {
        // A source that cannot be read whole is let go at once, so its
        // connection is free again.
        release(watch);
        spool_.reset();
        atEnd_ = true;
        throw;
    }
}

void Recordset::MoveNext() {
    if (atEnd_ && (clientSide_ || !statement_)) throw Error(kNoCurrentRecord, {});
    if (clientSide_) {
        atEnd_ = !spool_ || !spool_->next(current_);
        return;
    }
    if (!statement_) {
        atEnd_ = true;
        return;
    }
    StatementWatch watch(statement_->handle.get(), statement_->connection->QueryTimeout);
    atEnd_ = !fetchRow(current_, &watch);
}

long long Recordset::RecordCount() const {
    if (!clientSide_) return -1;
    return spool_ ? spool_->rowCount() : 0;
}

void Recordset::Close() {
    statement_.reset();
    spool_.reset();
    current_.clear();
    atEnd_ = true;
}

const Value& Recordset::operator[](const QString& fieldName) const {
    for (const Field& f : fields_)
        if (f.Name.compare(fieldName, Qt::CaseInsensitive) == 0) return f.Value();
    throw Error(QStringLiteral(
                    "Item cannot be found in the collection corresponding to the requested name or ordinal."),
                {});
}

// Moves to the driver's next row; false, with the statement let go, after
// the last.
bool Recordset::fetch(StatementWatch* watch) {
    if (!statement_) return false;
    SQLHSTMT s = statement_->handle.get();
    SQLRETURN rc = SQLFetch(s);
    if (rc == SQL_NO_DATA) {
        release(watch);
        return false;
    }
    if (!succeeded(rc)) statement_->connection->failed(s, rc, watch && watch->cancelled());
    return true;
}

bool Recordset::fetchRow(std::vector<Value>& row, StatementWatch* watch) {
    if (!fetch(watch)) return false;
    SQLHSTMT s = statement_->handle.get();
    row.resize(fields_.size());
    for (size_t c = 0; c < fields_.size(); ++c)
        row[c] = readers_[c]->read(s, static_cast<SQLUSMALLINT>(c + 1), fields_[c].Description,
                                   statement_->buffer);
    return true;
}

// Lets the statement go. The watch on it is disarmed first: once the handle
// is freed, the watchdog must not cancel whatever statement gets its address.
void Recordset::release(StatementWatch* watch) {
    if (watch) watch->disarm();
    statement_.reset();
}

bool Recordset::spoolRow(StatementWatch* watch) {
    if (!fetch(watch)) return false;
    SQLHSTMT s = statement_->handle.get();
    for (size_t c = 0; c < fields_.size(); ++c)
        readers_[c]->spool(s, static_cast<SQLUSMALLINT>(c + 1), fields_[c].Description, statement_->buffer,
                           *spool_);
    spool_->endRow();
    return true;
}

}  // namespace Db
