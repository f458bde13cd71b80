#pragma once

#include <QString>
#include <array>
#include <memory>

#include "connections/core/Profile.h"

class QSettings;

// The per-user store of the ten login fields and the query timeout:
// application "Quillmoor", section "Velmarch". Values are kept exactly as
// typed, passwords included, so a file the program creates is readable by
// its owner only.
class Settings {
public:
    // The user's own store: Quillmoor.ini in the user's configuration
    // folder (XDG_CONFIG_HOME moves it, as the demo does).
    Settings();
    // A store in the given file (the command line's --settings, tests).
    explicit Settings(const QString& filePath);
    virtual ~Settings();

    // A store that cannot be read is told once and reads as empty.
    QString read(const QString& key, const QString& defaultValue) const;
    // A write that fails is told once per run; later ones fail silently, and
    // the typed value stays where it was typed.
    virtual void write(const QString& key, const QString& value);

    // The login of a side as stored, a missing field by its default (the
    // ports 5000 for ASE and 50069 for DB2, empty otherwise).
    Profile login(Side side) const;
    // Stores every field of a side's login.
    void setLogin(Side side, const Profile& login);
    // Stores one field of it, as the window does at each change of a box.
    void setLogin(Side side, QString Profile::*field, const QString& value);

    // Seconds a statement may wait for the server (key QueryTimeout): 60
    // unless the key holds a whole number from 0 up, 0 meaning no limit.
    int queryTimeout() const;

    QString fileName() const;

    // Why the file cannot serve as a store that must be there: it is
    // missing, a folder, not a regular file, or cannot be read. Empty when
    // it can. Never blocks, whatever stands there.
    static QString NotReadable(const QString& filePath);

private:
    struct Key {
        QString Profile::*field;
        const char* name;
        const char* defaultValue;
    };
    // The keys of each side's five fields, as earlier versions stored them.
    static const std::array<Key, 5> AseKeys, Db2Keys;
    static const std::array<Key, 5>& KeysOf(Side side) { return side == Side::Ase ? AseKeys : Db2Keys; }

    // Why the file cannot be read, or empty when it can.
    QString unreadable() const;
    // Why it cannot be written.
    QString unwritable() const;
    bool createOwnerOnly(QString& why);
    std::unique_ptr<QSettings> store_;
    mutable bool toldUnreadable_ = false;
    bool toldUnwritable_ = false;
};
