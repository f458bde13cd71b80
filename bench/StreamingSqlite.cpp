// Debian's SQLite ODBC driver, with the rows of a query read from the
// database as the cursor moves (its StepAPI option), the way a server's
// driver fetches them. Left to itself the driver reads every row of a result
// into memory when the statement runs, so a program reading a million rows
// through it peaks at the driver's own copy of them, whatever the program
// does with the rows. Its rollback journal stays in memory (JournalMode):
// a journal file made and removed for every INSERT would only slow the runs
// that measure memory, and holds a page or two at a time.
//
// Only SQLDriverConnect is this module's own; the driver manager finds
// every other entry point in the SQLite driver, which the module is linked
// against (and so searched with it).

#include <dlfcn.h>
#include <sql.h>
#include <sqlext.h>

#include <string>

extern "C" SQLRETURN SQL_API SQLDriverConnect(SQLHDBC dbc, SQLHWND window, SQLCHAR* in, SQLSMALLINT inLength,
                                              SQLCHAR* out, SQLSMALLINT outMax, SQLSMALLINT* outLength,
                                              SQLUSMALLINT completion) {
    using Connect = SQLRETURN(SQL_API*)(SQLHDBC, SQLHWND, SQLCHAR*, SQLSMALLINT, SQLCHAR*, SQLSMALLINT,
                                        SQLSMALLINT*, SQLUSMALLINT);
    static const auto driver = reinterpret_cast<Connect>(dlsym(RTLD_NEXT, "SQLDriverConnect"));
    const char* given = reinterpret_cast<const char*>(in);
    std::string text = inLength == SQL_NTS ? std::string(given) : std::string(given, inLength);
    text += ";StepAPI=1;JournalMode=MEMORY;";
    return driver(dbc, window, reinterpret_cast<SQLCHAR*>(text.data()), SQL_NTS, out, outMax, outLength,
                  completion);
}
