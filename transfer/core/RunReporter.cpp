#include "transfer/core/RunReporter.h"

#include "connections/core/Error.h"

void RunReporter::beginTable(const QString& table) {
    table_ = table;
    row_ = 0;
    shown_.clear();
}

void RunReporter::report(const Failure& failure) {
    if (!table_.isEmpty()) {
        const QString kind = Db::FailureKind(failure.error);
        if (shown_.contains(kind) && !Db::ConnectionLost(failure.error)) return;
        shown_.insert(kind);
    }
    Failure f = failure;
    f.table = table_;
    f.row = row_;
    host_.report(f);
}

bool RepeatedFailures::failed(const QString& kind, long long row) {
    inARow_ = kind == kind_ && row == row_ + 1 ? inARow_ + 1 : 1;
    kind_ = kind;
    row_ = row;
    return inARow_ >= RepeatedFailureLimit;
}

QString NotCopiedMessage(const TableCopy& o) {
    QString text = QStringLiteral("%1 of %2 rows of %3 were not copied.")
                       .arg(o.rows - o.copied)
                       .arg(o.rows)
                       .arg(o.table);
    if (o.stopped)
        text += QStringLiteral(" The copy stopped after %1 rows in a row failed the same way.")
                    .arg(RepeatedFailureLimit);
    return text;
}
