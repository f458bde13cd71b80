#pragma once

#include <QStringList>
#include <optional>
#include <variant>

#include "connections/core/Profile.h"
#include "transfer/core/Send.h"

// What to do with a target table that already exists.
enum class Existing { Refuse, Overwrite, Skip };

// A command line as read: the command word ("send", "help"...), its
// database and names, and its options.
struct Arguments {
    QString command;
    QString settings;
    std::optional<Side> side;
    QStringList names;
    Existing existing = Existing::Refuse;
    bool keepTypes = false;
    int batch = 0;
    bool verify = false;
    bool keepKeys = false;
    QString rejects;  // the folder for the rows a target refuses
    int jobs = 1;     // tables sent at once
    int lines = 50;
    QStringList excluded;  // patterns of tables to leave out
    QString tablesFrom;    // a file of further names and patterns; "-" for stdin
    bool dryRun = false;   // what would be sent is printed, and nothing is
};

// What a send is told to do, as the options asked; the dry run plans with
// the same.
Send::Options SendOptions(const Arguments& a);

// Arguments that make no sense, and why, in the words the user is told.
struct UsageError {
    QString why;
};

// Reads the arguments (without the program's name) and nothing else.
// --help or --version anywhere asks for that alone.
std::variant<Arguments, UsageError> Parse(const QStringList& args);

// Whether the argument is one of the command line's own options ("--"
// included), as against one of Qt's.
bool IsOption(const QString& arg);
