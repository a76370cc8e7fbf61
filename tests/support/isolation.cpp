#include "isolation.h"

#include <QDir>

#include <sys/ipc.h>
#include <sys/sem.h>
#include <sys/shm.h>

namespace {
const char *const kVariables[] = {"XDG_RUNTIME_DIR", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "HOME", "TMPDIR"};

// A program killed in a test leaves its System V objects behind, keyed by
// ftok() of files in this TMPDIR. ext4 hands a deleted file's inode to the next
// new file, so a later test's key files would meet those leftovers.
void removeSystemVObjects(const QDir &tmp)
{
    for (const QString &name : tmp.entryList({QStringLiteral("qipc_*")}, QDir::Files)) {
        const key_t key = ::ftok(QFile::encodeName(tmp.filePath(name)).constData(), 'Q');
        if (key == -1)
            continue;
        if (const int shm = ::shmget(key, 0, 0); shm >= 0)
            ::shmctl(shm, IPC_RMID, nullptr);
        if (const int sem = ::semget(key, 0, 0); sem >= 0)
            ::semctl(sem, 0, IPC_RMID);
    }
}
} // namespace

Isolation::Isolation()
{
    const QString base = dir.path();
    const QString paths[] = {base + "/runtime", base + "/data", base + "/config", base + "/home",
                             base + "/tmp"};
    for (int i = 0; i < 5; ++i) {
        QDir().mkpath(paths[i]);
        QFile::setPermissions(paths[i], QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        saved.append({kVariables[i], qgetenv(kVariables[i])});
        qputenv(kVariables[i], paths[i].toLocal8Bit());
    }
}

Isolation::~Isolation()
{
    removeSystemVObjects(QDir(dir.path() + "/tmp"));
    for (const auto &[name, value] : saved) {
        if (value.isNull())
            qunsetenv(name.constData());
        else
            qputenv(name.constData(), value);
    }
}
