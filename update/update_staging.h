#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// The parts of an update run that keep the program folder whole: one run
// at a time (a lock on the folder), a private staging folder per run, and
// a journal of the swap written before the first file is replaced, so that
// a run cut short (a crash, a kill, a power cut) is rolled back by the next
// run or the next start of the program.

// Staging folders are named this, with a random suffix; a meter list name
// cannot start with ".", so no manifest can name one.
inline const QString Staging_Prefix = QStringLiteral(".Quorvel-update-staging");

inline const QString Another_Update_Message =
    QStringLiteral("Another update of this folder is under way; nothing was replaced.");

// An exclusive lock on the program folder, held while the object lives.
// Taken on the folder itself: no file is created for it.
class Update_Folder_Lock {
public:
    explicit Update_Folder_Lock(const QString &app_path);
    ~Update_Folder_Lock();
    Update_Folder_Lock(const Update_Folder_Lock &) = delete;
    Update_Folder_Lock &operator=(const Update_Folder_Lock &) = delete;
    bool Held() const { return fd_ >= 0; }
    bool Busy() const { return busy_; } // another run holds it
    QString Error() const { return error_; }

private:
    int fd_ = -1;
    bool busy_ = false;
    QString error_;
};

// A new staging folder in the program folder: created here and now, owned
// by this user, mode 0700, not a link. Empty with `error` set on failure.
QString Make_Staging_Folder(const QString &app_path, QString &error);

// One file of the swap, as the journal records it.
struct Swap_Entry {
    QString Final_Name;  // in the program folder
    QString Staged;      // the new file, in the staging folder
    QString Backup_Name; // the dated backup made in the program folder; empty: none
    QString Keep;        // the current file held in the staging folder when there is no backup
    bool Had_Current = false;
};

// Writes the plan into the staging folder, on disk before it returns.
bool Write_Swap_Journal(const QString &staging, const QList<Swap_Entry> &entries, QString &error);
// The run finished every swap: the plan is dropped.
bool Drop_Swap_Journal(const QString &staging, QString &error);

// Puts back every file the plan replaced and removes the backups it made
// of files it did not replace. Each failure names the file and the state
// it was left in; empty when everything was put back.
QStringList Roll_Back_Swap(const QString &app_path, const QString &staging, const QList<Swap_Entry> &entries);

struct Recovery_Result {
    int Rolled_Back = 0;  // runs cut short whose plan was rolled back
    QStringList Problems; // what could not be put back, by file
};

// Finishes what earlier runs left: a plan found in one of this user's
// private staging folders is rolled back; the folder is then removed.
// Folders that are not this user's or not private are left alone. The
// caller holds the folder's lock.
Recovery_Result Recover_Interrupted_Updates(const QString &app_path);

// The same for the start of the program: takes the lock itself and does
// nothing when another run holds it.
Recovery_Result Recover_Update_Folder(const QString &app_path);

// Writes a folder's entries to disk (fsync of the folder).
bool Sync_Folder(const QString &path);

// Removes a staging folder and what is in it; a link is removed itself.
void Remove_Staging_Folder(const QString &path);

// Called after each step of the swap phase, with the number of the step;
// tests use it to cut a run short at every point.
extern std::function<void(int step)> Swap_Step_Hook;
