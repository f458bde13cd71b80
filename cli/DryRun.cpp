#include "cli/DryRun.h"

#include "app/core/Text.h"
#include "catalog/core/Identifiers.h"
#include "catalog/core/Statements.h"
#include "connections/core/ConnectionString.h"
#include "transfer/core/SendPlan.h"

namespace DryRun {

namespace {

using Datatype::Direction;

void PrintSend(QTextStream& out, const QString& table, const SendPlan::Table& plan) {
    out << table << ": " << plan.rows << " rows would be copied\n";
    for (const QString& statement : plan.statements) out << "  " << statement << '\n';
    if (plan.batch == 0)
        out << "  each row: " << plan.insert << '\n';
    else
        out << "  bound, batches of " << plan.batch << ": " << plan.insert << '\n';
    for (const KeptKeys::Step& step : plan.afterRows) out << "  after the rows: " << step.statement << '\n';
    for (const KeptKeys::NotKept& n : plan.notKept)
        out << "  not kept, " << n.what << ": " << n.sourceText << '\n';
}

void Send(const Arguments& a, ConsoleHost& console, const QStringList& tables, QTextStream& out) {
    const Side side = *a.side;
    const Direction d = side == Side::Db2 ? Direction::ToAse : Direction::ToDb2;
    const Send::Options options = SendOptions(a);
    Db::Connection source;
    source.Open(side == Side::Db2 ? IBMDB2::ConnectionString(console.profile(side))
                                  : SybaseASE::ConnectionString(console.profile(side)));
    for (const QString& table : tables) {
        console.stopIfAsked();
        const SendPlan::Table plan = SendPlan::For(console, d, source, table, options);
        if (plan.copied)
            PrintSend(out, table, plan);
        else if (plan.answer == Answer::No && a.existing == Existing::Skip)
            out << table << ": " << console.skippedNote() << '\n';
    }
}

// As the delete drops them: an ASE name that cannot stand in brackets is
// never sent.
void Delete(Side side, ConsoleHost& console, const QStringList& tables, QTextStream& out) {
    for (const QString& table : tables) {
        if (side == Side::Ase && !Identifiers::AseCanDelimit(table)) {
            console.message(Identifiers::AseDropRefusal(table));
            continue;
        }
        out << table << ": would be dropped\n  "
            << (side == Side::Db2 ? Statements::DropDb2Table(table) : Statements::DropAseTable(table))
            << '\n';
    }
}

// A new name the DB2 list already shows is taken: the database would
// refuse it.
void Rename(ConsoleHost& console, const QString& table, const QString& newName, QTextStream& out) {
    if (console.list(Side::Db2).items().contains(newName)) {
        console.message(QStringLiteral("%1: the DB2 database already has a table %2").arg(table, newName));
        return;
    }
    out << table << ": would be renamed to " << newName << "\n  "
        << Statements::RenameDb2Table(table, newName) << '\n';
}

}  // namespace

void Run(const Arguments& a, ConsoleHost& console, LoggedHost& log, const QStringList& items,
         QTextStream& out) {
    QStringList tables = items;
    tables.removeAll(QString());
    const bool send = a.command == QLatin1String("send");
    log.dryRun(CommandRun{{}, *a.side, send, tables});
    try {
        if (send)
            Send(a, console, tables, out);
        else if (a.command == QLatin1String("delete"))
            Delete(*a.side, console, tables, out);
        else
            Rename(console, tables.value(0), a.names.value(1), out);
    } catch (const Db::Error& e) {
        console.message(QStringLiteral("velmarch: ") + e.description());
    }
    out << "Dry run: no database was changed.\n";
    out.flush();
}

}  // namespace DryRun
