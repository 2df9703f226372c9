#pragma once

// Direct access to the per-user settings file, bypassing the code under test:
// to plant values (also of the wrong kind) and to see what was stored.
#include <QFile>
#include <QSettings>
#include <QString>
#include <QVariant>

namespace twtest {

// Where the settings must live: the test main points XDG_CONFIG_HOME at a
// private folder.
inline QString settingsFilePath()
{
    return QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME")) + QStringLiteral("/Veltrona/ZEMRA1.ini");
}

// Returned as a prvalue (QSettings cannot be copied or moved).
inline QSettings settingsStore()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Veltrona"), QStringLiteral("ZEMRA1"));
}

inline void clearSettings()
{
    QSettings store = settingsStore();
    store.clear();
    store.sync();
}

inline void plantSetting(const QString& name, const QVariant& value)
{
    QSettings store = settingsStore();
    store.setValue(name, value);
    store.sync();
}

// The stored value as the file holds it (the INI format keeps text), or a
// null variant when the value is missing.
inline QVariant storedSetting(const QString& name)
{
    QSettings store = settingsStore();
    return store.value(name);
}

} // namespace twtest
