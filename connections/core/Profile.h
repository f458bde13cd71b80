#pragma once

#include <QString>

// The two databases.
enum class Side { Db2, Ase };

// The name a side goes by in every message and log line: "DB2" or "ASE".
inline QString SideName(Side side) {
    return side == Side::Db2 ? QStringLiteral("DB2") : QStringLiteral("ASE");
}

// The five login fields of one database, as the Setup Connections window
// holds them at this moment.
struct Profile {
    QString server;
    QString port;
    QString user;
    QString password;
    QString database;
};

// Whoever holds the two logins: every command that connects asks for a
// profile at the moment it connects, so a changed field takes effect at the
// next connection.
class ProfileSource {
public:
    virtual ~ProfileSource() = default;
    virtual Profile profile(Side side) const = 0;
};
