#include "support/TdsLoginCatcher.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <future>

TdsLoginCatcher::TdsLoginCatcher() {
    std::promise<quint16> listening;
    std::future<quint16> port = listening.get_future();
    thread_ = std::thread([this, listening = std::move(listening)]() mutable {
        QTcpServer server;
        server.listen(QHostAddress::LocalHost);
        listening.set_value(server.serverPort());
        if (!server.waitForNewConnection(20000)) return;
        QTcpSocket* client = server.nextPendingConnection();
        while (packet_.size() < kPasswordEnd && client->waitForReadyRead(20000)) packet_ += client->readAll();
        client->abort();
    });
    port_ = port.get();
}

TdsLoginCatcher::~TdsLoginCatcher() {
    if (thread_.joinable()) thread_.join();
}

QByteArray TdsLoginCatcher::packet() {
    if (thread_.joinable()) thread_.join();
    return packet_;
}

QByteArray TdsLoginCatcher::password() {
    const QByteArray login = packet();
    if (login.size() < kPasswordEnd || login[0] != 0x02) return {};
    return login.mid(8 + 62, static_cast<unsigned char>(login[8 + 92]));
}
