#include "isolation.h"

#include <QDir>

namespace {
const char *const kVariables[] = {"XDG_RUNTIME_DIR", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "HOME", "TMPDIR"};
}

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
    for (const auto &[name, value] : saved) {
        if (value.isNull())
            qunsetenv(name.constData());
        else
            qputenv(name.constData(), value);
    }
}
