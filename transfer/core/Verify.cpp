#include "transfer/core/Verify.h"

#include <QHash>
#include <QLocale>

#include "transfer/core/ValueText.h"

Verify::Verify(int columns) : sums_(size_t(columns), 0) {}

// A value's one spelling, the same however it came: numbers in full and
// the C locale's form, a GUID without braces, as it is bound.
std::uint64_t Verify::hash(const Db::Value& v) {
    if (Db::isNull(v)) return 0x9e3779b97f4a7c15ULL;
    QString text;
    if (const auto* s = std::get_if<QString>(&v))
        text = *s;
    else if (const auto* g = std::get_if<Db::Guid>(&v))
        text = g->text.mid(1, 36);
    else
        text = ValueText(v, QLocale::c());
    return qHash(text, 0) * 0x100000001b3ULL + 1;
}

void Verify::sent(const std::vector<Db::Value>& row) {
    for (size_t j = 0; j < row.size() && j < sums_.size(); ++j) sums_[j] += hash(row[j]);
}

QString Verify::check(Db::Connection& target, const QString& selectAll, long long rowsRead,
                      const std::function<Db::Value(int, const Db::Value&)>& asSent) {
    Db::Recordset rs;
    rs.Open(selectAll, target);
    std::vector<std::uint64_t> sums(sums_.size(), 0);
    long long rows = 0;
    for (; !rs.Eof(); rs.MoveNext()) {
        ++rows;
        for (int j = 0; j < rs.FieldCount() && j < int(sums.size()); ++j)
            sums[size_t(j)] += hash(asSent(j, rs.Fields(j).Value()));
    }
    QStringList differ;
    for (int j = 0; j < int(sums.size()) && j < rs.FieldCount(); ++j)
        if (sums[size_t(j)] != sums_[size_t(j)]) differ << rs.Fields(j).Name;
    QStringList problems;
    if (rows != rowsRead)
        problems << QStringLiteral("the target holds %1 rows, %2 were read").arg(rows).arg(rowsRead);
    if (!differ.isEmpty())
        problems << (differ.size() == 1 ? QStringLiteral("column %1 does not hold the values sent")
                                        : QStringLiteral("columns %1 do not hold the values sent"))
                        .arg(differ.join(QStringLiteral(", ")));
    rs.Close();
    return problems.join(QStringLiteral("; "));
}
