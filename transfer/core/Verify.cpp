#include "transfer/core/Verify.h"

#include <QHash>
#include <QLocale>

#include "connections/core/IsoText.h"
#include "connections/core/Recordset.h"
#include "transfer/core/ValueText.h"

namespace {

// A 64-bit mix (splitmix64's finaliser), so that the digests of rows, added
// up, do not cancel out the way their raw hashes could.
std::uint64_t mixed(std::uint64_t x) {
    x ^= x >> 30;
    x *= 0xbf58476d1ce4e5b9ULL;
    x ^= x >> 27;
    x *= 0x94d049bb133111ebULL;
    return x ^ (x >> 31);
}

}  // namespace

Verify::Verify(int columns) : sums_{std::vector<std::uint64_t>(size_t(columns), 0)}, row_(size_t(columns)) {}

// Each value's hash into its column's sum, and the row's values, in column
// order, into one digest for the sum of rows.
void Verify::Sums::add(const std::vector<std::uint64_t>& row) {
    std::uint64_t digest = 0;
    for (size_t j = 0; j < row.size(); ++j) {
        columns[j] += row[j];
        digest = mixed(digest ^ (row[j] + j));
    }
    rows += mixed(digest);
}

// A value's one spelling, the same however it came: numbers in full and
// the C locale's form, a GUID without braces, as it is bound.
std::uint64_t Verify::hash(const Db::Value& v) {
    if (Db::isNull(v)) return 0x9e3779b97f4a7c15ULL;
    QString text;
    if (const auto* s = std::get_if<QString>(&v))
        text = *s;
    else if (const auto* g = std::get_if<Db::Guid>(&v))
        text = IsoText::Guid(*g);
    else
        text = ValueText(v, QLocale::c());
    return qHash(text, 0) * 0x100000001b3ULL + 1;
}

void Verify::sent(const std::vector<Db::Value>& row) {
    for (size_t j = 0; j < row_.size(); ++j) row_[j] = j < row.size() ? hash(row[j]) : 0;
    sums_.add(row_);
}

QString Verify::check(Db::Connection& target, const QString& selectAll, long long rowsRead,
                      const std::function<Db::Value(int, const Db::Value&)>& asSent) {
    Db::Recordset rs;
    rs.Open(selectAll, target);
    Sums sums{std::vector<std::uint64_t>(row_.size(), 0)};
    std::vector<std::uint64_t> row(row_.size(), 0);
    long long rows = 0;
    for (; !rs.Eof(); rs.MoveNext()) {
        ++rows;
        for (int j = 0; j < rs.FieldCount() && j < int(row.size()); ++j)
            row[size_t(j)] = hash(asSent(j, rs.Fields(j).Value()));
        sums.add(row);
    }
    QStringList differ;
    for (int j = 0; j < int(row.size()) && j < rs.FieldCount(); ++j)
        if (sums.columns[size_t(j)] != sums_.columns[size_t(j)]) differ << rs.Fields(j).Name;
    QStringList problems;
    if (rows != rowsRead)
        problems << QStringLiteral("the target holds %1 rows, %2 were read").arg(rows).arg(rowsRead);
    if (!differ.isEmpty())
        problems << (differ.size() == 1 ? QStringLiteral("column %1 does not hold the values sent")
                                        : QStringLiteral("columns %1 do not hold the values sent"))
                        .arg(differ.join(QStringLiteral(", ")));
    else if (sums.rows != sums_.rows)
        problems << QStringLiteral("its rows do not hold the values sent together: values moved between rows");
    rs.Close();
    return problems.join(QStringLiteral("; "));
}
