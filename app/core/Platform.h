#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// Every call Velmarch makes to the operating system outside Qt and ODBC:
// Linux, or any POSIX system with flock and the Linux /proc. A port to
// another system starts here, and must know what earlier versions did
// there. On Windows the logins were kept by Visual Basic's SaveSetting,
// one registry value per key with the same key names, in the branch
//     HKEY_CURRENT_USER\Software\VB and VBA Program Settings\Quillmoor\Velmarch
// and the activity log was Quillmoor/Velmarch.log in the user's local
// application data folder.
// (The spool's nameless temporary file is connections/core/Spool.cpp's own.)
namespace Platform {

// Whether standard output is a terminal, where a line can be redrawn.
bool StdoutIsTerminal();

// Has Ctrl-C call handler, which may only set a flag; system calls it
// interrupts go on. A second Ctrl-C ends the program at once.
void OnInterrupt(void (*handler)());

// Milliseconds of the coarse monotonic clock: a few nanoseconds to read,
// with a few milliseconds of resolution.
qint64 CoarseMilliseconds();

// The folder of the running executable, links resolved (Qt reads
// /proc/self/exe): started as /usr/bin/velmarch, a link, it is the real
// file's folder. Needs the application object.
QString ProgramFolder();

// Appends bytes to the file at path with one write, under an exclusive
// lock, creating it readable by its owner only; a file that would grow past
// rotateAt is moved to old first. Returns why it could not, or empty.
QString AppendLocked(const QString& path, const QString& old, const QByteArray& bytes, qint64 rotateAt);

// Why the file cannot be read: it is missing (when mustExist), a folder,
// no regular file, or not readable. Empty when it can. Never blocks,
// whatever stands there (a pipe would).
QString Unreadable(const QString& path, bool mustExist);

// Why the file cannot be written or replaced.
QString Unwritable(const QString& path);

// Creates the file, with its folder, readable by its owner only, unless it
// exists; false with why when it cannot.
bool CreateOwnerOnly(const QString& path, QString& why);

// The bytes of a regular file of at most maxBytes; otherwise throws a
// std::runtime_error "<path>: <why>". A pipe would hang, a huge file fill
// the memory, a folder holds nothing.
QByteArray ReadSmallFile(const QString& path, qint64 maxBytes);

}  // namespace Platform
