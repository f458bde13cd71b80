#include "cli/CommandLine.h"

#include <QFile>
#include <QTextStream>
#include <cstdio>
#include <memory>
#include <optional>

#include "app/core/ActivityLog.h"
#include "app/core/Dialogs.h"
#include "app/core/Platform.h"
#include "app/core/Program.h"
#include "app/core/Settings.h"
#include "app/core/Text.h"
#include "catalog/core/Listing.h"
#include "catalog/core/LoggedHost.h"
#include "catalog/core/Maintenance.h"
#include "cli/Arguments.h"
#include "cli/ConsoleHost.h"
#include "cli/DryRun.h"
#include "cli/Jobs.h"
#include "cli/TableChoice.h"
#include "connections/core/ConnectionString.h"
#include "connections/core/Connection.h"
#include "transfer/core/Rejects.h"
#include "transfer/core/Send.h"

namespace CommandLine {

namespace {

// Qt's own options that take the next argument as their value; Qt reads
// them with one dash or two.
const QStringList QtValueOptions{QStringLiteral("-platform"),        QStringLiteral("-platformpluginpath"),
                                 QStringLiteral("-platformtheme"),   QStringLiteral("-plugin"),
                                 QStringLiteral("-qwindowgeometry"), QStringLiteral("-geometry"),
                                 QStringLiteral("-qwindowtitle"),    QStringLiteral("-title"),
                                 QStringLiteral("-qwindowicon"),     QStringLiteral("-icon"),
                                 QStringLiteral("-display"),         QStringLiteral("-name"),
                                 QStringLiteral("-session"),         QStringLiteral("-style"),
                                 QStringLiteral("-stylesheet")};

const char* const Usage =
    "Usage:\n"
    "  velmarch                      the windows\n"
    "  velmarch list db2|ase [TABLE...]\n"
    "                                the tables of that database, one name a line\n"
    "  velmarch send db2|ase TABLE... [--overwrite | --skip-existing] [--keep-types]\n"
    "                                [--keep-keys] [--batch N] [--verify] [--rejects DIR]\n"
    "                                [--jobs N]\n"
    "                                copy tables from that database to the other one\n"
    "  velmarch delete db2|ase TABLE...\n"
    "  velmarch rename OLD NEW       rename a DB2 table\n"
    "  velmarch log [-n N]           the last 50 (or N) lines of the activity log\n"
    "  velmarch --help | --version\n"
    "\n"
    "A TABLE may hold * (any characters) and ? (any one), matched against the list\n"
    "the window shows in any letter case. list, send and delete also take\n"
    "--exclude PATTERN (once per pattern) and --tables-from FILE (names and patterns\n"
    "one a line, - for standard input; blank lines and lines starting with # are\n"
    "skipped).\n"
    "\n"
    "Every command takes --settings FILE: the logins are read from the windows'\n"
    "settings file, or from FILE. VELMARCH_DB2_PASSWORD and VELMARCH_ASE_PASSWORD,\n"
    "when set, give the passwords.\n"
    "\n"
    "--keep-keys keeps the types, the constant defaults, the primary key and the\n"
    "indexes, and names what it cannot keep: foreign keys, check constraints,\n"
    "triggers, auto-increment columns and defaults that are expressions.\n"
    "--rejects DIR writes the rows the target refuses to DIR/TABLE.csv.\n"
    "--jobs N (1 to 16, 1 when not given) copies up to N tables at once, each over\n"
    "connections of its own.\n"
    "\n"
    "send, delete and rename also take --dry-run: for each table, the statements the\n"
    "command would send are printed (for a send the DROP, the CREATE TABLE, the\n"
    "INSERT with ? for each value and the source's row count, and with --keep-keys\n"
    "the keys and indexes and the source's text of what would not be kept), and\n"
    "nothing is sent that changes a database. The status is 1 when a table would\n"
    "be refused.\n"
    "\n"
    "Exit status: 0 when everything went, 1 when some table or row did not, 2 for a\n"
    "usage error or a login that does not open, 130 when stopped with Ctrl-C.\n";

constexpr int Done = 0, Incomplete = 1, Misused = 2, Interrupted = 130;

QTextStream& out() {
    static QTextStream s(stdout);
    return s;
}
QTextStream& err() {
    static QTextStream s(stderr);
    return s;
}

int usageError(const QString& why) {
    err() << "velmarch: " << why << Qt::endl << "Try 'velmarch --help'." << Qt::endl;
    return Misused;
}

// Messages that would be boxes in the windows (a settings file that cannot
// be read, say) go to stderr; nothing here ever waits for a person.
class ConsoleDialogs : public Dialogs {
public:
    void message(const QString& text, const QString&, Icon) override {
        err() << "velmarch: " << OneLine(text).simplified() << Qt::endl;
    }
    int question(const QString&, const QString&) override { return No; }
    QString input(const QString&, const QString&, const QString&) override { return {}; }
    void openUrl(const QString&) override {}
    int drawOneToHundred() override { return 1; }
};

// The logins as the windows keep them, with a password from the
// environment where one is set there (an argument would show in ps).
Profile Login(Settings& settings, Side side) {
    Profile p = settings.login(side);
    const char* variable = side == Side::Db2 ? "VELMARCH_DB2_PASSWORD" : "VELMARCH_ASE_PASSWORD";
    if (qEnvironmentVariableIsSet(variable)) p.password = qEnvironmentVariable(variable);
    return p;
}

QString ConnectionStringOf(Side side, const Profile& p) {
    return side == Side::Db2 ? IBMDB2::ConnectionString(p) : SybaseASE::ConnectionString(p);
}

// Opens and closes a connection; the driver's text when it does not open.
QString LoginProblem(Side side, const Profile& p) {
    try {
        Db::Connection c;
        c.Open(ConnectionStringOf(side, p));
        c.Close();
        return {};
    } catch (const Db::Error& e) {
        return e.description();
    }
}

// The items the names select, name for name; a name the list does not hold
// is told, and has an empty text.
QStringList Select(ConsoleHost& console, Side side, const QStringList& names) {
    const QStringList items = console.select(side, names);
    for (qsizetype i = 0; i < names.size(); ++i)
        if (items[i].isEmpty())
            err() << names[i] << ": the " << SideName(side) << " database lists no such table" << Qt::endl;
    return items;
}

// What every command that reaches the databases shares: the logins, the
// console that answers for the user, and the log of what was done.
struct Session {
    Session(const Arguments& a, const Profile& db2, const Profile& ase)
        : command(QStringLiteral("velmarch ") + a.command),
          terminal(Platform::StdoutIsTerminal()),
          console(db2, ase, out(), err(), terminal),
          host(console, log, command) {}
    const QString command;  // names the runs in the log
    const bool terminal;    // standard output, where live lines can be redrawn
    ConsoleHost console;
    ActivityLog log;
    LoggedHost host;
};

// Every login the command needs must open before anything is done.
bool LoginsOpen(const QList<Side>& needed, const Profile& db2, const Profile& ase) {
    for (Side s : needed) {
        const QString problem = LoginProblem(s, s == Side::Db2 ? db2 : ase);
        if (problem.isEmpty()) continue;
        err() << "velmarch: the " << SideName(s) << " login does not open: " << problem.simplified()
              << Qt::endl;
        return false;
    }
    return true;
}

// Reads the lists of the databases as the windows show them.
bool ListsRead(Session& s, const QList<Side>& sides) {
    try {
        for (Side side : sides) {
            const Profile p = s.console.profile(side);
            side == Side::Db2 ? IBMDB2::ListTables(p, s.host.list(side), [] {})
                              : SybaseASE::ListTables(p, s.host.list(side), [] {});
        }
        return true;
    } catch (const Db::Error& e) {
        err() << "velmarch: the " << SideName(sides.first())
              << " tables could not be listed: " << e.description().simplified() << Qt::endl;
        return false;
    }
}

// The tables a command works on, name for name with the items they select.
struct Selection {
    QStringList names, items;
};

void SendTables(const Arguments& a, Session& s, const Selection& chosen) {
    const Send::Options options = SendOptions(a);
    if (a.jobs > 1)
        Jobs::SendAll({s.console, s.log, s.command, out(), s.terminal}, *a.side, chosen.items, options,
                      a.jobs);
    else
        *a.side == Side::Db2 ? Send::ToAse(s.host, options) : Send::ToDb2(s.host, options);
    s.console.printSummary();
}

void DeleteTables(const Arguments& a, Session& s, const Selection& chosen) {
    *a.side == Side::Db2 ? Maintenance::DeleteDb2Tables(s.host) : Maintenance::DeleteAseTables(s.host);
    for (qsizetype i = 0; i < chosen.names.size(); ++i)
        if (s.console.dropped.contains(chosen.items[i])) out() << chosen.names[i] << ": dropped" << '\n';
}

void RenameTable(const Arguments& a, Session& s, const Selection&) {
    s.console.newName = a.names[1];
    Maintenance::RenameDb2Table(s.host);
    if (s.console.renamed) out() << a.names[0] << ": renamed to " << a.names[1] << '\n';
}

// What the command would send, printed, with nothing sent that changes a
// database.
void DryRunTables(const Arguments& a, Session& s, const Selection& chosen) {
    DryRun::Run(a, s.console, s.host, chosen.items, out());
}

// The commands that change a database, by their word.
using TableCommand = void (*)(const Arguments&, Session&, const Selection&);
TableCommand TableCommandOf(const QString& word) {
    if (word == QLatin1String("send")) return SendTables;
    return word == QLatin1String("delete") ? DeleteTables : RenameTable;
}

// Runs a command that changes a database on the tables the names select.
int Change(const Arguments& a, Session& s, const QStringList& names) {
    const QStringList items = Select(s.console, *a.side, names);
    if (items.count(QString()) == items.size()) return Incomplete;

    Platform::OnInterrupt(ConsoleHost::interrupt);
    try {
        (a.dryRun ? DryRunTables : TableCommandOf(a.command))(a, s, {names, items});
    } catch (const Program::Ending&) {
        s.console.printSummary();
        err() << "velmarch: stopped" << Qt::endl;
        return Interrupted;
    }
    out().flush();
    return !items.contains(QString()) && !s.console.somethingFailed() ? Done : Incomplete;
}

// The chosen tables that the list holds, in the list's order; a name it
// does not hold is told.
int List(Session& s, Side side, const QStringList& names) {
    const QStringList items = Select(s.console, side, names);
    for (const QString& item : s.host.list(side).items())
        if (items.contains(item)) out() << item << '\n';
    out().flush();
    return items.contains(QString()) ? Incomplete : Done;
}

int RunCommand(const Arguments& a) {
    std::unique_ptr<Settings> settings =
        a.settings.isEmpty() ? std::make_unique<Settings>() : std::make_unique<Settings>(a.settings);
    Db::Connection::SetDefaultQueryTimeout(settings->queryTimeout());
    const Profile db2 = Login(*settings, Side::Db2);
    const Profile ase = Login(*settings, Side::Ase);
    const Side side = *a.side;
    const Side other = side == Side::Db2 ? Side::Ase : Side::Db2;
    QList<Side> needed{side};
    if (a.command == QLatin1String("send")) needed << other;
    if (!LoginsOpen(needed, db2, ase)) return Misused;

    Session s(a, db2, ase);
    s.console.target = other;
    s.console.existing = a.existing;
    if (!ListsRead(s, needed)) return Incomplete;
    if (a.command == QLatin1String("rename")) return Change(a, s, {a.names[0]});
    const QStringList items = s.host.list(side).items();
    const bool all = a.command == QLatin1String("list") && a.names.isEmpty();
    const TableChoice::Chosen chosen = TableChoice::Choose(items, all ? items : a.names, a.excluded);
    if (!chosen.unmatched.isEmpty())
        return usageError(QStringLiteral("%1 matches no %2 table").arg(chosen.unmatched, SideName(side)));
    if (a.command != QLatin1String("list")) return Change(a, s, chosen.names);
    return List(s, side, chosen.names);
}

int Help() {
    // Where the files beside the program go: with the package, the real
    // folder behind the /usr/bin link.
    out() << Usage << "\nThe windows read their optional cursor and skin, HAND-M.CUR and x/o.cjs,\n"
          << "from the program's folder: " << Program::Folder() << '\n';
    out().flush();
    return Done;
}

int Version() {
    out() << "velmarch " << VELMARCH_VERSION << '\n';
    out().flush();
    return Done;
}

// The whole text of a file, or of standard input for "-"; why it cannot
// be read, or empty.
QString ReadText(const QString& path, QString& text) {
    QFile file;
    const bool open = path == QLatin1String("-") ? file.open(stdin, QIODevice::ReadOnly)
                                                 : (file.setFileName(path), file.open(QIODevice::ReadOnly));
    if (!open) return file.errorString();
    text = QString::fromUtf8(file.readAll());
    return file.error() == QFile::NoError ? QString() : file.errorString();
}

int Log(const Arguments& a) {
    for (const QString& line : ActivityLog().tail(a.lines)) out() << line << '\n';
    out().flush();
    return Done;
}

}  // namespace

// The windows take no arguments but Qt's own options, which begin with '-'
// and may take a value ("-style fusion"); a word anywhere else (a misspelt
// command too) or an option of the command line's own means the command
// line.
bool Wanted(const QStringList& args) {
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (QtValueOptions.contains(arg.startsWith(QLatin1String("--")) ? arg.mid(1) : arg)) {
            ++i;
            continue;
        }
        if (!arg.startsWith(QLatin1Char('-')) || IsOption(arg)) return true;
    }
    return false;
}

int Run(const QStringList& args) {
    const auto parsed = Parse(args);
    if (const auto* wrong = std::get_if<UsageError>(&parsed)) return usageError(wrong->why);
    const Arguments& a = std::get<Arguments>(parsed);
    if (a.command == QLatin1String("help")) return Help();
    if (a.command == QLatin1String("version")) return Version();
    // Checked before the store opens it: reading a pipe would wait for ever.
    const QString unreadable = a.settings.isEmpty() ? QString() : Settings::NotReadable(a.settings);
    if (!unreadable.isEmpty())
        return usageError(QStringLiteral("--settings %1: %2").arg(a.settings, unreadable));
    if (!a.rejects.isEmpty() && !Rejects::FolderProblem(a.rejects).isEmpty())
        return usageError(QStringLiteral("--rejects: ") + Rejects::FolderProblem(a.rejects));
    if (a.command == QLatin1String("log")) return Log(a);
    Arguments more = a;
    if (!a.tablesFrom.isEmpty()) {
        QString text;
        const QString why = ReadText(a.tablesFrom, text);
        if (!why.isEmpty()) return usageError(QStringLiteral("--tables-from %1: %2").arg(a.tablesFrom, why));
        more.names << TableChoice::NamesIn(text);
    }
    ConsoleDialogs dialogs;
    setDialogs(&dialogs);
    SetApplicationTitle();
    const int status = RunCommand(more);
    setDialogs(nullptr);
    return status;
}

}  // namespace CommandLine
