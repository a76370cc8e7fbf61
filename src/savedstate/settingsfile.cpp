#include "settingsfile.h"

#include <privatefiles.h>

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace savedstate {

void createPrivateDirectory(const QString &path)
{
    platform::createPrivateDirectory(QFile::encodeName(path).toStdString());
}

void createPrivateFile(const QString &path)
{
    platform::createPrivateFile(QFile::encodeName(path).toStdString());
}

QSettings *openSettingsFile(const QString &fileName, QObject *parent)
{
    const QString directory = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    // The parents are the user's usual data directories; only our own is made private.
    QDir().mkpath(QFileInfo(directory).path());
    createPrivateDirectory(directory);
    QDir().mkpath(directory);

    const QString path = directory + '/' + fileName;
    const QFileInfo file(path);
    if (file.exists() && !file.isFile()) {
        qWarning() << "Not a regular file, defaults used and nothing saved:" << path;
        return nullptr;
    }
    createPrivateFile(path);
    return new QSettings(path, QSettings::IniFormat, parent);
}

namespace {

// Set on a file while a SyncOnce holds its sync back.
constexpr char kSyncHeld[] = "korvistSyncHeld";

// QSettings keeps the first error for the object's life, so a file that
// failed once reports every later write as failed too: said once, here.
bool syncAndReport(QSettings *settings, const QString &what)
{
    const bool failedBefore = settings->status() == QSettings::AccessError;
    settings->sync();
    if (settings->status() != QSettings::AccessError)
        return true;
    if (!failedBefore)
        qWarning().noquote() << QStringLiteral("Could not write %1: %2 and later changes are not saved.")
                                    .arg(QDir::toNativeSeparators(settings->fileName()), what);
    return false;
}

} // namespace

bool save(QSettings *settings, const QString &key, const QVariant &value)
{
    if (!settings)
        return false;
    settings->setValue(key, value);
    if (settings->property(kSyncHeld).toBool())
        return settings->status() != QSettings::AccessError;
    return syncAndReport(settings, key);
}

SyncOnce::SyncOnce(QSettings *file)
    : settings(file)
    , outermost(file && !file->property(kSyncHeld).toBool())
{
    if (outermost)
        settings->setProperty(kSyncHeld, true);
}

SyncOnce::~SyncOnce()
{
    if (!outermost)
        return;
    settings->setProperty(kSyncHeld, false);
    syncAndReport(settings, QStringLiteral("the replayed state"));
}

} // namespace savedstate
