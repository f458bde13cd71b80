#pragma once

#include <QString>

#include "app/core/ErrorReport.h"
#include "catalog/core/TableList.h"
#include "connections/core/Profile.h"

// What a table command (send, delete, rename) needs of whoever runs it: the
// tables window with its lists, pointer, progress bar and boxes, or the
// command line. The command itself holds every step and every line number.
class CommandHost : public Reporter, public ProfileSource {
public:
    // Lets the window repaint and answer clicks; may raise Program::Ending.
    virtual void yield() = 0;
    // The busy pointer while a command works, the normal one after.
    virtual void setBusy(bool busy) = 0;
    // The progress of one table's rows, from 0 to 100.
    virtual void setProgress(double percent) = 0;
    // The bar back at 0 with its own text, after each table.
    virtual void resetProgress() = 0;
    // Whether to overwrite the target's table of that name: Dialogs::Yes or
    // Dialogs::No.
    virtual int askOverwrite(const QString& table) = 0;
    // The new name for a table, or the empty text to leave it alone.
    virtual QString askNewName(const QString& oldName) = 0;
    // An informational message.
    virtual void message(const QString& text) = 0;
    // The table list of a database: the DB2 list and the ASE list.
    virtual TableList& list(Side side) = 0;
};
