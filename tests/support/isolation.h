#pragma once

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
    QTemporaryDir dir;
    QList<QPair<QByteArray, QByteArray>> saved;
};
