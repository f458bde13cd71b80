#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "connections/core/ColumnDescription.h"
#include "connections/core/Value.h"

namespace Db {

class Connection;
class Spool;
class StatementWatch;
struct ColumnReader;

// One column of a recordset: its name, ADO type code and description, and
// the value in the current row.
struct Field {
    QString Name;
    int Type = 0;
    ColumnDescription Description;
    const Db::Value& Value() const;

private:
    friend class Recordset;
    const class Recordset* owner_ = nullptr;
    int index_ = 0;
};

class Recordset {
public:
    Recordset();
    ~Recordset();
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;

    // Runs the statement on the connection. With a client-side cursor every
    // row is read at once, so RecordCount is exact, and kept in a Spool (past
    // a budget, in a temporary file) until MoveNext reaches it; otherwise
    // rows are read as MoveNext reaches them and RecordCount is -1.
    void Open(const QString& source, Connection& connection);
    void Close();
    // Called after each row a client-side Open reads; what it throws ends
    // the read, with the statement let go.
    void WhileReading(std::function<void()> eachRow) { eachRow_ = std::move(eachRow); }

    int FieldCount() const { return static_cast<int>(fields_.size()); }
    const Field& Fields(int i) const { return fields_.at(i); }
    const Value& operator[](const QString& fieldName) const;
    long long RecordCount() const;
    bool Eof() const { return atEnd_; }
    void MoveNext();

private:
    friend class Connection;
    friend struct Field;
    struct Statement;
    void start(std::unique_ptr<Statement> statement, bool clientSide, StatementWatch* watch);
    void spoolAll(StatementWatch* watch);
    bool fetch(StatementWatch* watch);
    bool fetchRow(std::vector<Value>& row, StatementWatch* watch);
    bool spoolRow(StatementWatch* watch);
    void release(StatementWatch* watch);

    std::unique_ptr<Statement> statement_;
    std::vector<Field> fields_;
    std::vector<const ColumnReader*> readers_;
    std::unique_ptr<Spool> spool_;  // every row, with a client-side cursor
    std::vector<Value> current_;
    bool clientSide_ = false;
    bool atEnd_ = true;
    std::function<void()> eachRow_;
};

}  // namespace Db
