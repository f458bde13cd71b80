#include "app/cli/CommandLine.h"

#include <signal.h>
#include <unistd.h>

#include <QTextStream>
#include <cstdio>
#include <memory>
#include <optional>

#include "app/cli/ConsoleHost.h"
#include "app/core/ActivityLog.h"
#include "app/core/Dialogs.h"
#include "app/core/Program.h"
#include "app/core/Settings.h"
#include "catalog/core/Listing.h"
#include "catalog/core/LoggedHost.h"
#include "catalog/core/Maintenance.h"
#include "connections/core/Connection.h"
#include "connections/core/ConnectionString.h"
#include "transfer/core/Rejects.h"
#include "transfer/core/Send.h"

namespace CommandLine {

namespace {

const QStringList Commands{QStringLiteral("list"), QStringLiteral("send"), QStringLiteral("delete"),
                           QStringLiteral("rename"), QStringLiteral("log")};

// Every option of the command line, "--" included.
const QStringList Options{QStringLiteral("--"),
                          QStringLiteral("--help"),
                          QStringLiteral("-h"),
                          QStringLiteral("--version"),
                          QStringLiteral("--settings"),
                          QStringLiteral("--overwrite"),
                          QStringLiteral("--skip-existing"),
                          QStringLiteral("--keep-types"),
                          QStringLiteral("--batch"),
                          QStringLiteral("--verify"),
                          QStringLiteral("-n")};

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
    "  velmarch list db2|ase         the tables of that database, one name a line\n"
    "  velmarch send db2|ase TABLE... [--overwrite | --skip-existing] [--keep-types]\n"
    "                                [--keep-keys] [--batch N] [--verify] [--rejects DIR]\n"
    "                                copy tables from that database to the other one\n"
    "  velmarch delete db2|ase TABLE...\n"
    "  velmarch rename OLD NEW       rename a DB2 table\n"
    "  velmarch log [-n N]           the last 50 (or N) lines of the activity log\n"
    "  velmarch --help | --version\n"
    "\n"
    "Every command takes --settings FILE: the logins are read from the windows'\n"
    "settings file, or from FILE. VELMARCH_DB2_PASSWORD and VELMARCH_ASE_PASSWORD,\n"
    "when set, give the passwords.\n"
    "\n"
    "--keep-keys keeps the types, the constant defaults, the primary key and the\n"
    "indexes, and names what it cannot keep: foreign keys, check constraints,\n"
    "triggers, auto-increment columns and defaults that are expressions.\n"
    "--rejects DIR writes the rows the target refuses to DIR/TABLE.csv.\n"
    "\n"
    "Exit status: 0 when everything went, 1 when some table or row did not, 2 for a\n"
    "usage error or a login that does not open, 130 when stopped with Ctrl-C.\n";

constexpr int Done = 0, Incomplete = 1, UsageError = 2, Interrupted = 130;

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
    return UsageError;
}

// Messages that would be boxes in the windows (a settings file that cannot
// be read, say) go to stderr; nothing here ever waits for a person.
class ConsoleDialogs : public Dialogs {
public:
    void message(const QString& text, const QString&, Icon) override {
        QString line = text;
        line.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
        err() << "velmarch: " << line.simplified() << Qt::endl;
    }
    int question(const QString&, const QString&) override { return No; }
    QString input(const QString&, const QString&, const QString&) override { return {}; }
    void openUrl(const QString&) override {}
    int drawOneToHundred() override { return 1; }
};

struct Arguments {
    QString command;
    QString settings;
    std::optional<Side> side;
    QStringList names;
    ConsoleHost::Existing existing = ConsoleHost::Existing::Refuse;
    bool keepTypes = false;
    int batch = 0;
    bool verify = false;
    bool keepKeys = false;
    QString rejects;
    int lines = 50;
};

// Fills a; returns an empty text when the arguments make sense, otherwise
// what is wrong with them.
QString Parse(const QStringList& args, Arguments& a) {
    bool overwrite = false, skip = false, sendOption = false, logOption = false, onlyNames = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (!onlyNames && arg == QLatin1String("--")) {
            onlyNames = true;
        } else if (!onlyNames && arg == QLatin1String("--settings")) {
            if (++i == args.size() || args[i].isEmpty()) return QStringLiteral("--settings needs a file");
            a.settings = args[i];
        } else if (!onlyNames && arg == QLatin1String("--overwrite")) {
            overwrite = sendOption = true;
        } else if (!onlyNames && arg == QLatin1String("--skip-existing")) {
            skip = sendOption = true;
        } else if (!onlyNames && arg == QLatin1String("--keep-types")) {
            a.keepTypes = sendOption = true;
        } else if (!onlyNames && arg == QLatin1String("--keep-keys")) {
            a.keepKeys = a.keepTypes = sendOption = true;
        } else if (!onlyNames && arg == QLatin1String("--rejects")) {
            if (++i == args.size()) return QStringLiteral("--rejects needs a folder");
            a.rejects = args[i];
            sendOption = true;
        } else if (!onlyNames && arg == QLatin1String("--verify")) {
            a.verify = sendOption = true;
        } else if (!onlyNames && arg == QLatin1String("--batch")) {
            if (++i == args.size()) return QStringLiteral("--batch needs a number of rows");
            bool ok = false;
            a.batch = args[i].toInt(&ok);
            if (!ok || a.batch < 1 || a.batch > 10000)
                return QStringLiteral("--batch takes a whole number from 1 to 10000");
            sendOption = true;
        } else if (!onlyNames && arg == QLatin1String("-n")) {
            if (++i == args.size()) return QStringLiteral("-n needs a number of lines");
            bool ok = false;
            a.lines = args[i].toInt(&ok);
            if (!ok || a.lines < 0) return QStringLiteral("-n takes a whole number of lines");
            logOption = true;
        } else if (!onlyNames && arg.startsWith(QLatin1Char('-')) && arg.size() > 1) {
            return QStringLiteral("unknown option ") + arg;
        } else if (a.command.isEmpty()) {
            if (!Commands.contains(arg)) return QStringLiteral("unknown command ") + arg;
            a.command = arg;
        } else if (a.command == QLatin1String("log")) {
            return QStringLiteral("log takes no names");
        } else if (!a.side && a.command != QLatin1String("rename")) {
            if (arg == QLatin1String("db2"))
                a.side = Side::Db2;
            else if (arg == QLatin1String("ase"))
                a.side = Side::Ase;
            else
                return QStringLiteral("name the database: db2 or ase, not ") + arg;
        } else {
            a.names << arg;
        }
    }
    if (a.command.isEmpty()) return QStringLiteral("no command");
    if (overwrite && skip) return QStringLiteral("--overwrite and --skip-existing cannot go together");
    if (sendOption && a.command != QLatin1String("send"))
        return QStringLiteral(
            "--overwrite, --skip-existing, --keep-types, --keep-keys, --batch, --verify and --rejects go "
            "with send");
    if (!a.rejects.isEmpty() && !Rejects::FolderProblem(a.rejects).isEmpty())
        return QStringLiteral("--rejects: ") + Rejects::FolderProblem(a.rejects);
    if (logOption && a.command != QLatin1String("log")) return QStringLiteral("-n goes with log");
    if (a.command == QLatin1String("log")) return {};
    a.existing = overwrite ? ConsoleHost::Existing::Overwrite
                 : skip    ? ConsoleHost::Existing::Skip
                           : ConsoleHost::Existing::Refuse;
    if (a.command == QLatin1String("rename")) {
        if (a.names.size() != 2) return QStringLiteral("rename takes the old name and the new one");
        if (a.names[1].isEmpty()) return QStringLiteral("rename needs a new name that is not empty");
        a.side = Side::Db2;
        return {};
    }
    if (!a.side) return QStringLiteral("name the database: db2 or ase");
    if (a.command == QLatin1String("list")) {
        if (!a.names.isEmpty()) return QStringLiteral("list takes no table names");
    } else if (a.names.isEmpty()) {
        return a.command + QStringLiteral(" needs at least one table name");
    }
    return {};
}

// The logins as the windows keep them, with a password from the
// environment where one is set there (an argument would show in ps).
Profile Login(Settings& settings, Side side) {
    const size_t first = side == Side::Ase ? 0 : 5;
    QStringList v;
    for (size_t i = first; i < first + 5; ++i)
        v << settings.read(QString::fromLatin1(Settings::Logins[i].name),
                           QString::fromLatin1(Settings::Logins[i].defaultValue));
    Profile p{v[0], v[1], v[2], v[3], v[4]};
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
            err() << names[i] << ": the " << (side == Side::Db2 ? "DB2" : "ASE")
                  << " database lists no such table" << Qt::endl;
    return items;
}

void OnInterrupt(int) {
    ConsoleHost::interrupt();
    // A second Ctrl-C ends the program at once.
    signal(SIGINT, SIG_DFL);
}

int RunCommand(const Arguments& a) {
    std::unique_ptr<Settings> settings =
        a.settings.isEmpty() ? std::make_unique<Settings>() : std::make_unique<Settings>(a.settings);
    Db::Connection::SetDefaultQueryTimeout(settings->queryTimeout());
    const Profile db2 = Login(*settings, Side::Db2);
    const Profile ase = Login(*settings, Side::Ase);
    const Side side = *a.side;
    const Side other = side == Side::Db2 ? Side::Ase : Side::Db2;
    const auto sideName = [](Side s) {
        return s == Side::Db2 ? QStringLiteral("DB2") : QStringLiteral("ASE");
    };

    // Every login the command needs must open before anything is done.
    QList<Side> needed{side};
    if (a.command == QLatin1String("send")) needed << other;
    for (Side s : needed) {
        const QString problem = LoginProblem(s, s == Side::Db2 ? db2 : ase);
        if (!problem.isEmpty()) {
            err() << "velmarch: the " << sideName(s) << " login does not open: " << problem.simplified()
                  << Qt::endl;
            return UsageError;
        }
    }

    ConsoleHost console(db2, ase, out(), err(), isatty(STDOUT_FILENO));
    ActivityLog log;
    LoggedHost host(console, log, QStringLiteral("velmarch ") + a.command);
    console.target = other;
    console.existing = a.existing;
    const auto fill = [&](Side s) {
        if (s == Side::Db2)
            IBMDB2::ListTables(db2, host.list(s), [] {});
        else
            SybaseASE::ListTables(ase, host.list(s), [] {});
    };
    try {
        fill(side);
        if (a.command == QLatin1String("send")) fill(other);
    } catch (const Db::Error& e) {
        err() << "velmarch: the " << sideName(side)
              << " tables could not be listed: " << e.description().simplified() << Qt::endl;
        return Incomplete;
    }

    if (a.command == QLatin1String("list")) {
        for (const QString& name : host.list(side).items()) out() << name << '\n';
        out().flush();
        return Done;
    }

    const QStringList names = a.command == QLatin1String("rename") ? QStringList{a.names[0]} : a.names;
    const QStringList items = Select(console, side, names);
    if (items.count(QString()) == items.size()) return Incomplete;

    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    try {
        if (a.command == QLatin1String("send")) {
            const Send::Options options{a.keepTypes, a.batch, a.verify, a.keepKeys, a.rejects};
            side == Side::Db2 ? Send::ToAse(host, options) : Send::ToDb2(host, options);
            console.printSummary();
        } else if (a.command == QLatin1String("delete")) {
            side == Side::Db2 ? Maintenance::DeleteDb2Tables(host) : Maintenance::DeleteAseTables(host);
            for (qsizetype i = 0; i < names.size(); ++i)
                if (console.dropped.contains(items[i])) out() << names[i] << ": dropped" << '\n';
        } else {
            console.newName = a.names[1];
            Maintenance::RenameDb2Table(host);
            if (console.renamed) out() << a.names[0] << ": renamed to " << a.names[1] << '\n';
        }
    } catch (const Program::Ending&) {
        console.printSummary();
        err() << "velmarch: stopped" << Qt::endl;
        return Interrupted;
    }
    out().flush();
    return !items.contains(QString()) && !console.somethingFailed() ? Done : Incomplete;
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
        if (!arg.startsWith(QLatin1Char('-')) || Options.contains(arg)) return true;
    }
    return false;
}

int Run(const QStringList& args) {
    if (args.contains(QLatin1String("--help")) || args.contains(QLatin1String("-h"))) {
        // Where the files beside the program go: with the package, the
        // real folder behind the /usr/bin link.
        out() << Usage << "\nThe windows read their optional cursor and skin, HAND-M.CUR and x/o.cjs,\n"
              << "from the program's folder: " << Program::Folder() << '\n';
        out().flush();
        return Done;
    }
    if (args.contains(QLatin1String("--version"))) {
        out() << "velmarch " << VELMARCH_VERSION << '\n';
        out().flush();
        return Done;
    }
    Arguments a;
    const QString wrong = Parse(args, a);
    if (!wrong.isEmpty()) return usageError(wrong);
    // Checked before the store opens it: reading a pipe would wait for ever.
    const QString unreadable = a.settings.isEmpty() ? QString() : Settings::NotReadable(a.settings);
    if (!unreadable.isEmpty())
        return usageError(QStringLiteral("--settings %1: %2").arg(a.settings, unreadable));
    if (a.command == QLatin1String("log")) {
        for (const QString& line : ActivityLog().tail(a.lines)) out() << line << '\n';
        out().flush();
        return Done;
    }
    ConsoleDialogs dialogs;
    setDialogs(&dialogs);
    SetApplicationTitle();
    const int status = RunCommand(a);
    setDialogs(nullptr);
    return status;
}

}  // namespace CommandLine
