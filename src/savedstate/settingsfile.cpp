#include "settingsfile.h"

#include <privatefiles.h>

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace savedstate {

namespace {
std::string nativePath(const QString &path)
{
    return QFile::encodeName(path).toStdString();
}
} // namespace

QSettings *openSettingsFile(const QString &fileName, QObject *parent)
{
    const QString directory = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    // The parents are the user's usual data directories; only our own is made private.
    QDir().mkpath(QFileInfo(directory).path());
    platform::createPrivateDirectory(nativePath(directory));
    QDir().mkpath(directory);

    const QString path = directory + '/' + fileName;
    const QFileInfo file(path);
    if (file.exists() && !file.isFile()) {
        qWarning() << "Not a regular file, defaults used and nothing saved:" << path;
        return nullptr;
    }
    platform::createPrivateFile(nativePath(path));
    return new QSettings(path, QSettings::IniFormat, parent);
}

bool save(QSettings *settings, const QString &key, const QVariant &value)
{
    if (!settings)
        return false;
    settings->setValue(key, value);
    settings->sync();
    return true;
}

} // namespace savedstate
