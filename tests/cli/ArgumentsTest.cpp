#include <gtest/gtest.h>

#include "cli/Arguments.h"

namespace {

// Every way the arguments read, right or wrong: the command and what it
// takes, or the usage error word for word.
TEST(Arguments, ReadAsTheCommandOrTheUsageError) {
    struct Case {
        QStringList args;
        QString read;  // "command side names..." or the usage error
    };
    const Case cases[] = {
        {{"send", "db2", "T", "U", "--overwrite", "--batch", "5", "--verify"},
         "send db2 T U overwrite batch 5 verify"},
        {{"--overwrite", "send", "db2", "T"}, "send db2 T overwrite"},
        {{"--batch", "5", "send", "ase", "T", "--keep-types"}, "send ase T kept batch 5"},
        {{"--", "send", "db2", "-T", "--verify"}, "send db2 -T --verify"},
        {{"send", "db2", "T", "--skip-existing"}, "send db2 T skip"},
        {{"rename", "A", "B"}, "rename db2 A B"},
        {{"list", "ase", "--settings", "f.ini"}, "list ase settings f.ini"},
        {{"log", "-n", "7"}, "log lines 7"},
        {{"send", "--help", "nonsense"}, "help"},
        {{"-h"}, "help"},
        {{"list", "--version"}, "version"},
        {{}, "no command"},
        {{"send"}, "name the database: db2 or ase"},
        {{"send", "db2"}, "send needs at least one table name"},
        {{"delete", "sybase", "T"}, "name the database: db2 or ase, not sybase"},
        {{"send", "db2", "T", "--batch", "0"}, "--batch takes a whole number from 1 to 10000"},
        {{"send", "db2", "T", "--batch", "10001"}, "--batch takes a whole number from 1 to 10000"},
        {{"send", "db2", "T", "--batch"}, "--batch needs a number of rows"},
        {{"send", "db2", "T", "--overwrite", "--skip-existing"},
         "--overwrite and --skip-existing cannot go together"},
        {{"delete", "db2", "T", "--verify"},
         "--overwrite, --skip-existing, --keep-types, --keep-keys, --batch, --verify and --rejects go with send"},
        {{"send", "db2", "T", "--keep-keys", "--rejects", "out"}, "send db2 T kept keys rejects out"},
        {{"send", "db2", "T", "--rejects"}, "--rejects needs a folder"},
        {{"send", "ase", "T*", "--jobs", "16"}, "send ase T* jobs 16"},
        {{"send", "ase", "T", "--jobs", "17"}, "--jobs takes a whole number from 1 to 16"},
        {{"list", "db2", "-n", "3"}, "-n goes with log"},
        {{"log", "-n", "x"}, "-n takes a whole number of lines"},
        {{"log", "x"}, "log takes no names"},
        {{"list", "db2", "T*", "--exclude", "T?", "--exclude", "X"}, "list db2 T* excluding T? X"},
        {{"send", "ase", "--tables-from", "-"}, "send ase from -"},
        {{"rename", "A", "B", "--exclude", "A"}, "--exclude goes with send, delete and list"},
        {{"send", "ase", "--tables-from", ""}, "--tables-from needs a file"},
        {{"delete", "ase", "T", "--dry-run"}, "delete ase T dry"},
        {{"--dry-run", "rename", "A", "B"}, "rename db2 A B dry"},
        {{"list", "db2", "--dry-run"}, "--dry-run goes with send, delete and rename"},
        {{"rename", "A"}, "rename takes the old name and the new one"},
        {{"rename", "A", ""}, "rename needs a new name that is not empty"},
        {{"copy", "db2"}, "unknown command copy"},
        {{"send", "db2", "T", "--fast"}, "unknown option --fast"},
        {{"list", "db2", "--settings", ""}, "--settings needs a file"},
        {{"list", "db2", "--settings"}, "--settings needs a file"},
    };
    for (const Case& c : cases) {
        const auto parsed = Parse(c.args);
        QString read;
        if (const auto* wrong = std::get_if<UsageError>(&parsed)) {
            read = wrong->why;
        } else {
            const Arguments& a = std::get<Arguments>(parsed);
            QStringList words{a.command};
            if (a.side) words << (*a.side == Side::Db2 ? "db2" : "ase");
            words << a.names;
            if (a.existing == Existing::Overwrite) words << "overwrite";
            if (a.existing == Existing::Skip) words << "skip";
            if (a.keepTypes) words << "kept";
            if (a.keepKeys) words << "keys";
            if (a.batch) words << "batch" << QString::number(a.batch);
            if (a.verify) words << "verify";
            if (a.jobs != 1) words << "jobs" << QString::number(a.jobs);
            if (!a.rejects.isEmpty()) words << "rejects" << a.rejects;
            if (!a.settings.isEmpty()) words << "settings" << a.settings;
            if (!a.excluded.isEmpty()) words << "excluding" << a.excluded;
            if (!a.tablesFrom.isEmpty()) words << "from" << a.tablesFrom;
            if (a.dryRun) words << "dry";
            if (a.lines != 50) words << "lines" << QString::number(a.lines);
            read = words.join(' ');
        }
        EXPECT_EQ(read.toStdString(), c.read.toStdString()) << c.args.join(' ').toStdString();
    }
}

}  // namespace
