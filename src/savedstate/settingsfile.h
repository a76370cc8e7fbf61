#pragma once

#include <QString>

class QObject;
class QSettings;
class QVariant;

// The ini files of the panels and the Settings dialog, in the per-user
// application data directory.
namespace savedstate {

// The file `fileName` in that directory, which is created private to the user
// when missing, as is the file. Null, after one log line, when something other
// than a regular file is in its place: a FIFO would block the GUI thread on
// the first read for ever, and whatever it is, it is not ours to write.
QSettings *openSettingsFile(const QString &fileName, QObject *parent);
// The user's own, as the settings files are: a missing directory is made
// private (its parent must exist), a missing file is made empty and private;
// what is already there keeps its mode and is never opened.
void createPrivateDirectory(const QString &path);
void createPrivateFile(const QString &path);
// Writes one value and syncs the file at once. False when there is no file or
// the write failed (a full disk, a file made read-only): the caller must not
// then say it saved. A failed file is logged once, at its first failure.
bool save(QSettings *settings, const QString &key, const QVariant &value);

// While one lives, save() on that file writes its values without syncing, and
// the file is synced once when it ends: a replay or a preset that changes
// every control rewrites the file once, not once per control. A failed write
// is logged then, as save() would have logged it.
class SyncOnce
{
public:
    explicit SyncOnce(QSettings *settings);
    ~SyncOnce();
    SyncOnce(const SyncOnce &) = delete;
    SyncOnce &operator=(const SyncOnce &) = delete;

private:
    QSettings *settings;
    bool outermost;
};

} // namespace savedstate
