#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <vector>

#include "connections/core/Connection.h"
#include "connections/core/Value.h"

// The check after a copy: the target is read back and compared with what
// was sent to it: its row count with the rows read from the source, and its
// rows as an order-independent sum of digests of whole rows, so neither side
// needs sorting or holding, yet a value moved to another row is seen. A sum
// per column names the columns that differ.
class Verify {
public:
    explicit Verify(int columns);

    // A row that went into the target, each value as it was bound or
    // written into the literal.
    void sent(const std::vector<Db::Value>& row);

    // Reads the target table back with selectAll. asSent turns the value the
    // target holds in column j into the value it was sent as (a DB2 date
    // read back as a date was sent as its text). Returns what differs, in
    // words, or the empty text.
    QString check(Db::Connection& target, const QString& selectAll, long long rowsRead,
                  const std::function<Db::Value(int column, const Db::Value& read)>& asSent);

private:
    struct Sums {
        std::vector<std::uint64_t> columns;
        std::uint64_t rows = 0;
        void add(const std::vector<std::uint64_t>& row);
    };
    static std::uint64_t hash(const Db::Value& v);
    Sums sums_;
    std::vector<std::uint64_t> row_;
};
