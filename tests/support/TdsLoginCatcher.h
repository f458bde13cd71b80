#pragma once

#include <QByteArray>
#include <thread>

// Stands in for an ASE server just far enough to catch the TDS 5.0 login
// packet (type 0x02) a client sends, then hangs up: no login is granted.
// It listens on its own thread, since the client blocks the test's.
class TdsLoginCatcher {
public:
    TdsLoginCatcher();
    ~TdsLoginCatcher();
    quint16 port() const { return port_; }
    // What arrived, once the client has sent it or given up.
    QByteArray packet();
    // The password in the login record: after the 8-byte header come the
    // host and user names (30 bytes and a length byte each), then the
    // password the same way. Empty when no login came.
    QByteArray password();

private:
    static constexpr qsizetype kPasswordEnd = 8 + 93;  // header, then up to the password length
    std::thread thread_;
    quint16 port_ = 0;
    QByteArray packet_;
};
