#include "cli/Arguments.h"

#include <algorithm>
#include <climits>
#include <iterator>

namespace {

// What a command word takes after it.
enum class Takes { Nothing, Side, SideAndTables, OldAndNew };
// (a Side command takes patterns too, but needs none)

struct CommandWord {
    const char* name;
    Takes takes;
};

const CommandWord Commands[] = {
    {"list", Takes::Side},        {"send", Takes::SideAndTables}, {"delete", Takes::SideAndTables},
    {"rename", Takes::OldAndNew}, {"log", Takes::Nothing},
};

const CommandWord* FindCommand(const QString& word) {
    const auto c = std::find_if(std::begin(Commands), std::end(Commands),
                                [&](const CommandWord& c) { return word == QLatin1String(c.name); });
    return c == std::end(Commands) ? nullptr : c;
}

// The arguments read so far, with what the options said.
struct Reading {
    Arguments a;
    bool overwrite = false, skip = false, onlyNames = false;
    QStringList used;  // the options given, by name
};

using Apply = QString (*)(Reading&, const QString& value);

struct Option {
    const char* name;
    const char* goesWith;   // the commands it goes with, split by spaces; empty for any
    const char* misplaced;  // what is said when it comes with another
    const char* missing;    // for an option with a value: what is said without one
    Apply apply;
};

// True when text is a whole number from low to high.
bool Whole(const QString& text, int low, int high, int& number) {
    bool ok = false;
    number = text.toInt(&ok);
    return ok && number >= low && number <= high;
}

const char* const SendOnly =
    "--overwrite, --skip-existing, --keep-types, --keep-keys, --batch, --verify and --rejects go with send";

const Option Options[] = {
    {"--settings", "", "", "--settings needs a file",
     [](Reading& r, const QString& v) {
         r.a.settings = v;
         return v.isEmpty() ? QStringLiteral("--settings needs a file") : QString();
     }},
    {"--overwrite", "send", SendOnly, nullptr,
     [](Reading& r, const QString&) { return r.overwrite = true, QString(); }},
    {"--skip-existing", "send", SendOnly, nullptr,
     [](Reading& r, const QString&) { return r.skip = true, QString(); }},
    {"--keep-types", "send", SendOnly, nullptr,
     [](Reading& r, const QString&) { return r.a.keepTypes = true, QString(); }},
    {"--keep-keys", "send", SendOnly, nullptr,
     [](Reading& r, const QString&) { return r.a.keepKeys = r.a.keepTypes = true, QString(); }},
    {"--verify", "send", SendOnly, nullptr,
     [](Reading& r, const QString&) { return r.a.verify = true, QString(); }},
    {"--rejects", "send", SendOnly, "--rejects needs a folder",
     [](Reading& r, const QString& v) {
         r.a.rejects = v;
         return v.isEmpty() ? QStringLiteral("--rejects needs a folder") : QString();
     }},
    {"--batch", "send", SendOnly, "--batch needs a number of rows",
     [](Reading& r, const QString& v) {
         return Whole(v, 1, 10000, r.a.batch)
                    ? QString()
                    : QStringLiteral("--batch takes a whole number from 1 to 10000");
     }},
    {"--jobs", "send", "--jobs goes with send", "--jobs needs a number of tables",
     [](Reading& r, const QString& v) {
         return Whole(v, 1, 16, r.a.jobs) ? QString()
                                          : QStringLiteral("--jobs takes a whole number from 1 to 16");
     }},
    {"--exclude", "send delete list", "--exclude goes with send, delete and list",
     "--exclude needs a pattern", [](Reading& r, const QString& v) { return r.a.excluded << v, QString(); }},
    {"--tables-from", "send delete list", "--tables-from goes with send, delete and list",
     "--tables-from needs a file",
     [](Reading& r, const QString& v) {
         r.a.tablesFrom = v;
         return v.isEmpty() ? QStringLiteral("--tables-from needs a file") : QString();
     }},
    {"--dry-run", "send delete rename", "--dry-run goes with send, delete and rename", nullptr,
     [](Reading& r, const QString&) { return r.a.dryRun = true, QString(); }},
    {"-n", "log", "-n goes with log", "-n needs a number of lines",
     [](Reading& r, const QString& v) {
         return Whole(v, 0, INT_MAX, r.a.lines) ? QString()
                                                : QStringLiteral("-n takes a whole number of lines");
     }},
};

const Option* FindOption(const QString& arg) {
    const auto o = std::find_if(std::begin(Options), std::end(Options),
                                [&](const Option& o) { return arg == QLatin1String(o.name); });
    return o == std::end(Options) ? nullptr : o;
}

// A word that is no option: the command, its database, or a name.
QString Word(Reading& r, const QString& arg) {
    Arguments& a = r.a;
    if (a.command.isEmpty()) {
        if (!FindCommand(arg)) return QStringLiteral("unknown command ") + arg;
        a.command = arg;
        return {};
    }
    const Takes takes = FindCommand(a.command)->takes;
    if (takes == Takes::Nothing) return a.command + QStringLiteral(" takes no names");
    if (a.side || takes == Takes::OldAndNew) {
        a.names << arg;
        return {};
    }
    if (arg == QLatin1String("db2"))
        a.side = Side::Db2;
    else if (arg == QLatin1String("ase"))
        a.side = Side::Ase;
    else
        return QStringLiteral("name the database: db2 or ase, not ") + arg;
    return {};
}

// One argument, and the value that follows it where it takes one.
QString Step(Reading& r, const QStringList& args, qsizetype& i) {
    const QString& arg = args[i];
    if (r.onlyNames) return Word(r, arg);
    if (arg == QLatin1String("--")) return r.onlyNames = true, QString();
    const Option* o = FindOption(arg);
    if (!o) {
        if (arg.startsWith(QLatin1Char('-')) && arg.size() > 1)
            return QStringLiteral("unknown option ") + arg;
        return Word(r, arg);
    }
    r.used << arg;
    if (!o->missing) return o->apply(r, {});
    if (++i == args.size()) return QString::fromLatin1(o->missing);
    return o->apply(r, args[i]);
}

// The first option given that goes with another command, in the order of
// the table; empty when none does.
QString Misplaced(const Reading& r) {
    for (const Option& o : Options)
        if (*o.goesWith && r.used.contains(QLatin1String(o.name)) &&
            !QString::fromLatin1(o.goesWith).split(QLatin1Char(' ')).contains(r.a.command))
            return QString::fromLatin1(o.misplaced);
    return {};
}

// What the command needs after its word, once every argument is read.
QString Complete(Arguments& a) {
    const Takes takes = FindCommand(a.command)->takes;
    if (takes == Takes::Nothing) return {};
    if (takes == Takes::OldAndNew) {
        if (a.names.size() != 2) return QStringLiteral("rename takes the old name and the new one");
        if (a.names[1].isEmpty()) return QStringLiteral("rename needs a new name that is not empty");
        a.side = Side::Db2;
        return {};
    }
    if (!a.side) return QStringLiteral("name the database: db2 or ase");
    if (takes == Takes::SideAndTables && a.names.isEmpty() && a.tablesFrom.isEmpty())
        return a.command + QStringLiteral(" needs at least one table name");
    return {};
}

QString Read(Reading& r, const QStringList& args) {
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString wrong = Step(r, args, i);
        if (!wrong.isEmpty()) return wrong;
    }
    if (r.a.command.isEmpty()) return QStringLiteral("no command");
    if (r.overwrite && r.skip) return QStringLiteral("--overwrite and --skip-existing cannot go together");
    const QString misplaced = Misplaced(r);
    if (!misplaced.isEmpty()) return misplaced;
    r.a.existing = r.overwrite ? Existing::Overwrite : r.skip ? Existing::Skip : Existing::Refuse;
    return Complete(r.a);
}

}  // namespace

std::variant<Arguments, UsageError> Parse(const QStringList& args) {
    Reading r;
    if (args.contains(QLatin1String("--help")) || args.contains(QLatin1String("-h"))) {
        r.a.command = QStringLiteral("help");
        return r.a;
    }
    if (args.contains(QLatin1String("--version"))) {
        r.a.command = QStringLiteral("version");
        return r.a;
    }
    const QString wrong = Read(r, args);
    if (!wrong.isEmpty()) return UsageError{wrong};
    return r.a;
}

Send::Options SendOptions(const Arguments& a) {
    return {a.keepTypes, a.batch, a.verify, a.keepKeys, a.rejects};
}

bool IsOption(const QString& arg) {
    static const QStringList more{QStringLiteral("--"), QStringLiteral("--help"), QStringLiteral("-h"),
                                  QStringLiteral("--version")};
    return FindOption(arg) || more.contains(arg);
}
