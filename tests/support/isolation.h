#pragma once

#include <QDir>
#include <QTemporaryDir>

// Points XDG_RUNTIME_DIR, XDG_DATA_HOME, XDG_CONFIG_HOME, HOME and TMPDIR at a
// fresh temporary directory for as long as the object lives, so that a test's
// device sockets, pipes, ini files and single-instance keys are its own.
class Isolation
{
public:
    Isolation();
    ~Isolation();
    Isolation(const Isolation &) = delete;
    Isolation &operator=(const Isolation &) = delete;

    QString root() const { return dir.path(); }
    QString runtimeDir() const { return dir.path() + "/runtime"; }
    QString dataDir() const { return dir.path() + "/data"; }
    // What QStandardPaths::AppDataLocation gives the product under this isolation.
    QString appDataDir() const { return dataDir() + "/KorvistDriver"; }

private:
    // A short root: device and pipe sockets live below it, and a Unix socket
    // address holds little more than 100 characters.
    QTemporaryDir dir {QDir::tempPath() + QStringLiteral("/k-XXXXXX")};
    QList<QPair<QByteArray, QByteArray>> saved;
};
