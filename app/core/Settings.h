#pragma once

#include <QString>
#include <array>
#include <memory>

class QSettings;

// The per-user store of the ten login fields: application "Quillmoor",
// section "Velmarch". Values are kept exactly as typed, passwords included,
// so off Windows the file is readable by its owner only.
class Settings {
public:
    struct Key {
        const char* name;
        const char* defaultValue;
    };
    // In the order the start-up reads them, Text1 to Text10.
    static const std::array<Key, 10> Logins;

    // The user's own store: on Windows the registry branch where SaveSetting
    // keeps Quillmoor/Velmarch, elsewhere Quillmoor.ini in the user's
    // configuration folder (XDG_CONFIG_HOME moves it, as the demo does).
    Settings();
    // A store in the given file (tests).
    explicit Settings(const QString& filePath);
    virtual ~Settings();

    QString read(const QString& key, const QString& defaultValue) const;
    virtual void write(const QString& key, const QString& value);

    QString fileName() const;

private:
    void ownerOnly();
    std::unique_ptr<QSettings> store_;
};
