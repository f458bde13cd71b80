#include "catalog/core/LoggedHost.h"

#include <algorithm>

namespace {
// A password as typed, and as a connection string spells it: inside ODBC's
// braces with every '}' doubled, inside OLE DB's quotes with every '"'.
QStringList Spellings(const QString& password) {
    QString braced = password, quoted = password;
    braced.replace(QLatin1Char('}'), QStringLiteral("}}"));
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return {braced, quoted, password};
}
}  // namespace

LoggedHost::LoggedHost(CommandHost& inner, ActivityLog& log, QString command)
    : inner_(inner), log_(log), command_(std::move(command)) {}

QString LoggedHost::where(Side side) const {
    const Profile p = inner_.profile(side);
    return SideName(side) + QLatin1Char(' ') + p.server + QLatin1Char('/') + p.database;
}

QString LoggedHost::runHead(const CommandRun& run) const {
    QString head = named(run.procedure) + QLatin1Char(' ') + where(run.side);
    if (run.send) head += QStringLiteral(" -> ") + where(run.side == Side::Db2 ? Side::Ase : Side::Db2);
    return head;
}

QString LoggedHost::clean(QString text) const {
    QStringList spellings;
    for (Side side : {Side::Db2, Side::Ase}) spellings << Spellings(inner_.profile(side).password);
    spellings.removeAll(QString());
    spellings.removeDuplicates();
    // Longest first: one spelling may hold another, or another password.
    std::stable_sort(spellings.begin(), spellings.end(),
                     [](const QString& a, const QString& b) { return a.size() > b.size(); });
    for (const QString& spelling : spellings) text.replace(spelling, QStringLiteral("***"));
    return text;
}

void LoggedHost::runBegins(const CommandRun& run) {
    run_ = run;
    log_.append(runHead(run) + QStringLiteral(" begins: ") + run.tables.join(QStringLiteral(", ")));
    inner_.runBegins(run);
}

void LoggedHost::runEnds(const CommandRun& run) {
    log_.append(runHead(run) + QStringLiteral(" ends"));
    run_ = {};
    inner_.runEnds(run);
}

void LoggedHost::dryRun(const CommandRun& run) {
    log_.append(runHead(run) + QStringLiteral(" dry run, nothing sent: ") +
                run.tables.join(QStringLiteral(", ")));
}

void LoggedHost::statementSent(const CommandRun& run, Side side, const QString& statement,
                               const QString& failure) {
    log_.append(
        named(run.procedure) + QLatin1Char(' ') + where(side) + QLatin1Char(' ') + statement +
        (failure.isEmpty() ? QStringLiteral(": done") : QStringLiteral(": failed: ") + clean(failure)));
    inner_.statementSent(run, side, statement, failure);
}

void LoggedHost::note(const QString& text) {
    log_.append(runHead(run_) + QStringLiteral(" note: ") + text);
    inner_.note(text);
}

void LoggedHost::tableEnds(const TableCopy& c) {
    const QString head = runHead(run_);
    log_.append(head +
                QStringLiteral(" copied %1: %2 rows read, %3 copied, %4 not copied, %5 s%6%7")
                    .arg(c.table)
                    .arg(c.rows)
                    .arg(c.copied)
                    .arg(c.notCopied())
                    .arg(c.seconds, 0, 'f', 1)
                    .arg(clean(c.checkText()), c.interrupted ? QStringLiteral(", stopped") : QString()));
    for (const QString& detail : c.details())
        log_.append(head + QLatin1Char(' ') + c.table + QStringLiteral(": ") + detail);
    inner_.tableEnds(c);
}

void LoggedHost::report(const Failure& f) {
    log_.append((run_.procedure.isEmpty() ? named(f.procedure) : runHead(run_)) +
                QStringLiteral(" failure at line ") + QString::number(f.line) +
                (f.table.isEmpty() ? QString() : QStringLiteral(", table ") + f.table) +
                (f.row > 0 ? QStringLiteral(", row %1").arg(f.row) : QString()) + QStringLiteral(": ") +
                clean(f.description));
    inner_.report(f);
}
