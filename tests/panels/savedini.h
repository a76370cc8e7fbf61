#pragma once

#include <isolation.h>

#include <QMap>
#include <QSettings>
#include <QString>

// A panel's ini file as the tests write and read it.
using IniEntries = QMap<QString, QString>;

inline QString iniPath(const Isolation &isolation, const QString &model)
{
    return isolation.appDataDir() + '/' + model + ".ini";
}

inline IniEntries readIni(const QString &path)
{
    QSettings ini(path, QSettings::IniFormat);
    IniEntries entries;
    for (const QString &key : ini.allKeys())
        entries.insert(key, ini.value(key).toString());
    return entries;
}

inline void writeIni(const QString &path, const IniEntries &entries)
{
    QSettings ini(path, QSettings::IniFormat);
    for (auto it = entries.begin(); it != entries.end(); ++it)
        ini.setValue(it.key(), it.value());
    ini.sync();
}
