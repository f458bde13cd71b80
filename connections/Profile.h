#pragma once

#include <QString>

// The five login fields of one database, as the Setup Connections window
// holds them at this moment.
struct Profile {
    QString server;
    QString port;
    QString user;
    QString password;
    QString database;
};
