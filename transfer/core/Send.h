#pragma once

#include "catalog/core/CommandHost.h"

// The table transfer: every table selected in one list is copied, with all
// its rows, into the other database, and the target list gains its name.
namespace Send {

// What the command line may ask beyond the window's copy.
struct Options {
    // Target columns of the source columns' kind, size and nullability,
    // values bound as parameters of their own type.
    bool keepTypes = false;
    // Rows of bound parameters per execution and per transaction; 0 for one
    // literal INSERT per row, as the window sends them.
    int batch = 0;
    // After each table, the target read back and compared with what was sent.
    bool verify = false;
    // With kept types: the source's constant defaults in the CREATE TABLE,
    // its primary key and indexes created once the rows are in, and what
    // cannot be kept named.
    bool keepKeys = false;
    // The folder each table's refused rows are written to; empty for none.
    QString rejects{};
};

// DB2 to ASE (Form2.PushButton3_Click).
void ToAse(CommandHost& host);
void ToAse(CommandHost& host, const Options& options);
// ASE to DB2 (Form2.PushButton4_Click).
void ToDb2(CommandHost& host);
void ToDb2(CommandHost& host, const Options& options);

}  // namespace Send
