#include "update_run.h"

#include "program_state.h"
#include "meter_list_edit.h"
#include "update_check.h"
#include "update_staging.h"
#include "update_verify.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <QScopeGuard>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qint64 Most_Index_Bytes = 1024 * 1024;

// One file of the run: where it comes from, where it goes, what it is.
struct Item {
    QString Source_Name;
    QString Final_Name;
    Update_File_Kind Kind = Update_File_Kind::Document;
    QString Backup_Name; // the dated backup kept in the program folder; empty: none is kept
    QString Staged;      // the fetched file's name in the staging folder
    QString Keep;        // the current file's second name in the staging folder when no backup is kept
    bool Had_Current = false;
    mode_t Mode = 0644;   // of the new file
    int Fd = -1;          // the staged file as it was checked
    struct stat Checked{}; // its identity then
};

Item Make_Item(const QString &source, const QString &final_name, Update_File_Kind kind, const QString &backup)
{
    Item item;
    item.Source_Name = source;
    item.Final_Name = final_name;
    item.Kind = kind;
    item.Backup_Name = backup;
    return item;
}

QString Stem(const QString &name)
{
    return name.left(name.size() - 3); // "AWWA-Standard.mtr" -> "AWWA-Standard."
}

QString Os_Error()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

QByteArray Path(const QString &path)
{
    return QFile::encodeName(path);
}

// A second name for the current file: a hard link, or a copy where the
// file system has none. The name must be free: nothing is overwritten.
bool Second_Name(const QString &current, const QString &other, QString &error)
{
    if (::link(Path(current).constData(), Path(other).constData()) == 0)
        return true;
    const QString link_error = Os_Error();
    if (errno != EEXIST && QFile::copy(current, other))
        return true;
    error = QStringLiteral("no backup could be made of it (%1)").arg(link_error);
    return false;
}

// The first free backup name of the day: "Table-1-121026.bak", then
// "Table-1-121026-2.bak" and on. A name taken by anything but a plain file
// stops the run: it is not the program's to judge.
QString Free_Backup_Name(const QString &app, const QString &base, QString &error)
{
    const QString stem = base.left(base.size() - 4); // without ".bak"
    for (int n = 1; n < 1000; ++n) {
        const QString name = n == 1 ? base : QStringLiteral("%1-%2.bak").arg(stem).arg(n);
        struct stat st;
        if (::lstat(Path(app + u'/' + name).constData(), &st) != 0)
            return name;
        if (!S_ISREG(st.st_mode)) {
            error = QStringLiteral("the backup name %1 is taken by a folder or something else that is not a plain file; "
                                   "move it away and update again").arg(name);
            return {};
        }
    }
    error = QStringLiteral("every backup name of today is taken");
    return {};
}

// Plans an item's swap: what is under its final name now, the backup it
// gets and the new file's mode.
bool Plan_Item(Item &item, const QString &app, int index, QString &error)
{
    struct stat st;
    const QString final_path = app + u'/' + item.Final_Name;
    item.Had_Current = ::lstat(Path(final_path).constData(), &st) == 0;
    item.Mode = item.Kind == Update_File_Kind::Program ? 0755 : 0644;
    if (!item.Had_Current)
        return true;
    if (!S_ISREG(st.st_mode)) {
        error = QStringLiteral("it is not a plain file (a folder, a link or a device has its name)");
        return false;
    }
    // The new file keeps the current one's permissions; the owner may
    // read and write it, and run the program.
    item.Mode = (st.st_mode & 07777 & ~mode_t(S_ISUID | S_ISGID)) | S_IRUSR | S_IWUSR;
    if (item.Kind == Update_File_Kind::Program)
        item.Mode |= S_IXUSR;
    if (item.Backup_Name.isEmpty())
        item.Keep = QStringLiteral("%1.current").arg(index);
    else if (item.Backup_Name = Free_Backup_Name(app, item.Backup_Name, error); item.Backup_Name.isEmpty())
        return false;
    return true;
}

// The current file gets its second name (made writable by its owner: files
// copied from a read-only medium arrive read-only), then the checked file
// takes the final name in one step: at no moment is there no file under
// the final name.
bool Swap_In(Item &item, const QString &app, const QString &staging, const std::function<void()> &step_done, QString &error)
{
    const QString final_path = app + u'/' + item.Final_Name;
    if (item.Had_Current) {
        const int fd = ::open(Path(final_path).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
        struct stat st;
        if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
            error = QStringLiteral("it is not a plain file any more");
            if (fd >= 0)
                ::close(fd);
            return false;
        }
        ::fchmod(fd, (st.st_mode & 07777) | S_IRUSR | S_IWUSR);
        ::close(fd);
        const QString held = item.Backup_Name.isEmpty() ? staging + u'/' + item.Keep : app + u'/' + item.Backup_Name;
        if (!Second_Name(final_path, held, error))
            return false;
        step_done();
    }
    // The file that is put in place is the one that was checked.
    const QString staged = staging + u'/' + item.Staged;
    struct stat now;
    if (::lstat(Path(staged).constData(), &now) != 0 || now.st_dev != item.Checked.st_dev || now.st_ino != item.Checked.st_ino) {
        error = QStringLiteral("the checked file was changed before it was put in place");
        return false;
    }
    ::fchmod(item.Fd, item.Mode);
    if (::rename(Path(staged).constData(), Path(final_path).constData()) != 0) {
        error = QStringLiteral("it could not be put in place (%1)").arg(Os_Error());
        return false;
    }
    return true;
}

// "The update source's signature does not verify (why); nothing was replaced."
QString Signature_Problem(const QString &why)
{
    QString text = Bad_Signature_Message;
    return text.insert(text.indexOf(u';'), QStringLiteral(" (%1)").arg(why));
}

QString Backup_Message(const QString &app)
{
    return QStringLiteral("Backups of your files were placed in '") + app
           + QStringLiteral("' with the date and extention of '.bak'.  You must restart Quorvel for the updates to "
                            "take effect.");
}

} // namespace

bool Update_Run_Result::Anything_Replaced() const
{
    for (const Update_File_Report &f : Files) {
        if (f.Replaced)
            return true;
    }
    return false;
}

int Update_Step_Count(const Update_Choice &choice)
{
    int steps = 1 + (choice.Program ? 6 : 0) + int(choice.Table[0]) + int(choice.Table[1]) + int(choice.Table[2])
                + int(choice.Meter_Lists.size());
    return steps > 1 ? steps - 1 : steps;
}

QString Date_Stamp(const QDate &today)
{
    return today.toString(QStringLiteral("MMddyy"));
}

bool Is_Safe_List_Name(const QString &name)
{
    const bool control = std::any_of(name.begin(), name.end(), [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7f; });
    return !name.isEmpty() && !control && !name.contains(u'/') && !name.contains(u'\\') && !name.startsWith(u'.')
           && name.endsWith(QStringLiteral(".mtr"), Qt::CaseInsensitive);
}

Update_Run_Result Run_Update(const Update_Run_Context &c, const Update_Choice &choice)
{
    Update_Run_Result result;
    const QString stamp = Date_Stamp(c.Today);
    const QString app = c.App_Path;
    int steps_left = Update_Step_Count(choice);
    const auto advance = [&] {
        if (steps_left > 0 && c.Advance)
            c.Advance();
        --steps_left;
    };
    if (!choice.Anything()) {
        result.Nothing_Selected = true;
        result.Messages << No_Files_Selected_Message;
        return result;
    }

    // The items of the run: data files first, the program last.
    QList<Item> items;
    const QString table_backup = QStringLiteral("%1-") + stamp + QStringLiteral(".bak");
    const Update_File_Kind table_kinds[3] = {Update_File_Kind::Fixture_Table, Update_File_Kind::Public_Fixture_Table,
                                             Update_File_Kind::Conversion_Table};
    for (int t = 0; t < 3; ++t) {
        if (choice.Table[t])
            items.append(Make_Item(c.Table_Names[t], c.Table_Names[t], table_kinds[t],
                          table_backup.arg(QFileInfo(c.Table_Names[t]).completeBaseName())));
    }
    QStringList unsafe;
    QStringList seen;
    for (const QString &list : choice.Meter_Lists) {
        const QString at_source = choice.Source_Names.value(list, list);
        if (!Is_Safe_List_Name(list) || !Is_Safe_List_Name(at_source)) {
            unsafe << (Is_Safe_List_Name(list) ? at_source : list);
            continue;
        }
        if (seen.contains(list, Qt::CaseInsensitive))
            continue;
        seen << list;
        if (Is_User_Meter_List(app + u'/' + list)) { // a user's own list is never replaced
            result.Messages << QStringLiteral("%1 is your own meter list: the update left it as it is.").arg(list);
            continue;
        }
        items.append(Make_Item(at_source, list, Update_File_Kind::Meter_List, Stem(list) + u'-' + stamp + QStringLiteral(".bak")));
    }
    if (choice.Program) {
        items.append(Make_Item(QStringLiteral("Version.txt"), QStringLiteral("Version.txt"), Update_File_Kind::Document, QString()));
        items.append(Make_Item(QStringLiteral("License.txt"), QStringLiteral("License.txt"), Update_File_Kind::Document, QString()));
        items.append(Make_Item(QStringLiteral("QV-Help.htm"), QStringLiteral("QV-Help.htm"), Update_File_Kind::Document, QString()));
        items.append(Make_Item(QStringLiteral("Sample.qvl"), QStringLiteral("Sample.qvl"), Update_File_Kind::Document, QString()));
        items.append(Make_Item(QStringLiteral("Quorvel.zip"), QStringLiteral("Quorvel.vmf"), Update_File_Kind::Clip, QString()));
        items.append(Make_Item(c.Program_Name, c.Program_Name, Update_File_Kind::Program,
                      c.Program_Name + u'-' + stamp + QStringLiteral(".bak")));
    }
    const auto close_files = [&items] {
        for (Item &item : items) {
            if (item.Fd >= 0)
                ::close(item.Fd);
            item.Fd = -1;
        }
    };
    const auto closer = qScopeGuard(close_files);

    QString staging;
    const auto cancelled = [&c] { return c.Cancelled && c.Cancelled(); };
    // Ends a run that replaced nothing.
    const auto give_up = [&](const QString &problem, bool was_cancelled = false, const QString &failed = QString()) {
        result.Cancelled = was_cancelled;
        if (!problem.isEmpty())
            result.Problems << problem;
        result.Files.clear();
        for (const Item &item : std::as_const(items)) {
            const bool this_one = item.Source_Name == failed || item.Final_Name == failed;
            result.Files.append({item.Final_Name, false,
                                 was_cancelled ? Cancelled_Message
                                 : this_one || failed.isEmpty()
                                     ? problem
                                     : QStringLiteral("not replaced, since %1 failed and a run replaces all or nothing").arg(failed)});
        }
        for (const QString &name : std::as_const(unsafe))
            result.Files.append({name, false, QStringLiteral("not a plain meter list name")});
        while (steps_left > 0)
            advance();
        close_files();
        if (!staging.isEmpty())
            Remove_Staging_Folder(staging);
        const QString problems = result.Problems.join(u' ');
        result.Messages << (was_cancelled ? Cancelled_Message
                            : problems.contains(QStringLiteral("nothing was replaced"), Qt::CaseInsensitive) || problems.contains(QStringLiteral("nothing was changed"), Qt::CaseInsensitive)
                                ? problems
                                : QStringLiteral("Nothing was replaced: %1").arg(problems));
        return result;
    };
    if (!unsafe.isEmpty()) {
        // Control characters are shown as codes.
        for (QString &name : unsafe) {
            for (qsizetype i = name.size() - 1; i >= 0; --i) {
                if (name[i].unicode() < 0x20 || name[i].unicode() == 0x7f)
                    name.replace(i, 1, QStringLiteral("\\x%1").arg(name[i].unicode(), 2, 16, QChar(u'0')));
            }
        }
        return give_up(QStringLiteral("The meter list name \"%1\" at the update source is not a plain file name; "
                                      "nothing was fetched.").arg(unsafe.join(QStringLiteral("\", \""))));
    }
    if (Package_Managed(app))
        return give_up(Package_Managed_Update_Text(app));

    // One run at a time; what an interrupted run left is put right first.
    const Update_Folder_Lock lock(app);
    if (!lock.Held())
        return give_up(lock.Busy() ? Another_Update_Message : lock.Error());
    const Recovery_Result recovered = Recover_Interrupted_Updates(app);
    if (!recovered.Problems.isEmpty())
        return give_up(recovered.Problems.join(u' ') + QStringLiteral(" Nothing was replaced."));
    QString staging_error;
    staging = Make_Staging_Folder(app, staging_error);
    if (staging.isEmpty())
        return give_up(QStringLiteral("The program folder %1 cannot be written, so nothing can be updated there (%2).").arg(app, staging_error));

    Fetch_Options options = c.Limits;
    options.Cancelled = cancelled;
    const auto fetch = [&](const QString &name, const QString &destination, const Fetch_Options &o) {
        return c.Fetch ? c.Fetch(name, destination, o) : Fetch_To_File(c.Server_Name, name, destination, o);
    };
    const auto read = [](const QString &path) {
        const int fd = ::open(Path(path).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        QFile f;
        if (fd < 0 || !f.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
            if (fd >= 0)
                ::close(fd);
            return QByteArray();
        }
        return f.read(Most_Index_Bytes);
    };

    // The trusted keys: when the file is there, every update must be signed with one of them.
    const QString keys_path = app + u'/' + Trusted_Keys_Name;
    QList<Minisign_Key> keys;
    const bool have_keys = QFileInfo::exists(keys_path) || QFileInfo(keys_path).isSymLink();
    if (have_keys) {
        QFile key_file(keys_path);
        if (!key_file.open(QIODevice::ReadOnly))
            return give_up(QStringLiteral("The trusted key file %1 cannot be read (%2), and %3; nothing was replaced.")
                               .arg(keys_path, key_file.errorString(), Signed_Only_Text));
        keys = Parse_Minisign_Keys(key_file.read(Most_Index_Bytes));
        if (keys.isEmpty())
            return give_up(QStringLiteral("The trusted key file %1 holds no minisign public key, and %2; nothing was replaced.")
                               .arg(keys_path, Signed_Only_Text));
    }

    // The release index and its signature.
    QMap<QString, QByteArray> sums;
    bool have_index = false, verified = false;
    QString unchecked_signature; // told when the run succeeds
    {
        Fetch_Options small = options;
        small.Max_Bytes = std::min(options.Max_Bytes, Most_Index_Bytes);
        const QString index_path = staging + QStringLiteral("/index");
        const QString signature_path = staging + QStringLiteral("/index.minisig");
        const Fetch_Outcome index = fetch(QStringLiteral("SHA256SUMS"), index_path, small);
        if (index.Cancelled || cancelled())
            return give_up({}, true);
        if (!index.Ok && !index.Missing)
            return give_up(QStringLiteral("SHA256SUMS could not be fetched: %1.").arg(index.Error));
        if (have_keys && !index.Ok)
            return give_up(QStringLiteral("The update source has no SHA256SUMS, but %1 (%2 holds a key); nothing was replaced.")
                               .arg(Signed_Only_Text, Trusted_Keys_Name));
        const Fetch_Outcome signature = fetch(QStringLiteral("SHA256SUMS.minisig"), signature_path, small);
        if (signature.Cancelled || cancelled())
            return give_up({}, true);
        if (!signature.Ok && !signature.Missing)
            return give_up(QStringLiteral("SHA256SUMS.minisig could not be fetched: %1.").arg(signature.Error));
        have_index = index.Ok;
        if (have_keys) {
            if (!signature.Ok)
                return give_up(QStringLiteral("The update source's SHA256SUMS is not signed, but %1 (%2 holds a key); nothing was "
                                              "replaced.").arg(Signed_Only_Text, Trusted_Keys_Name));
            const QString why = Verify_Minisign(read(index_path), read(signature_path), keys);
            if (!why.isEmpty())
                return give_up(Signature_Problem(why));
            verified = true;
        } else if (signature.Ok && !have_index) {
            return give_up(Signature_Problem(QStringLiteral("a signature without SHA256SUMS")));
        } else if (have_index) {
            unchecked_signature = QStringLiteral("The update source's files were checked against its SHA256SUMS, but its signature "
                                                 "could not be checked: no trusted key is installed (%1).").arg(Trusted_Keys_Name);
        }
        if (have_index) {
            QString why;
            if (!Parse_Sha256_Sums(read(index_path), sums, why))
                return give_up(QStringLiteral("The update source's index is damaged: %1.").arg(why));
            // The versions the user chose by come from the manifest: it is checked as every file is.
            const QString manifest = QStringLiteral("Update.txt");
            if (!c.Manifest_Sha256.isEmpty() && !sums.contains(manifest))
                return give_up(QStringLiteral("%1 is not listed in the update source's SHA256SUMS.").arg(manifest));
            if (!c.Manifest_Sha256.isEmpty() && sums.value(manifest) != c.Manifest_Sha256)
                return give_up(QStringLiteral("%1 does not match its checksum in SHA256SUMS.").arg(manifest));
        }
        if (choice.Program && Source_Kind(c.Server_Name) == Update_Source_Kind::Http && !verified)
            return give_up(QStringLiteral("The program comes from an internet source without a signed SHA256SUMS "
                                          "that verifies with %1; nothing was replaced.").arg(Trusted_Keys_Name));
    }

    // Fetch and check every item before anything is replaced.
    for (int i = 0; i < items.size(); ++i) {
        Item &item = items[i];
        if (cancelled())
            return give_up({}, true);
        item.Staged = QStringLiteral("%1.new").arg(i);
        const QString staged = staging + u'/' + item.Staged;
        Fetch_Options o = options;
        o.Progress = [&c, &item](qint64 received, qint64 total) {
            if (c.Bytes)
                c.Bytes(item.Source_Name, received, total);
        };
        if (c.Bytes)
            c.Bytes(item.Source_Name, 0, -1);
        const Fetch_Outcome got = fetch(item.Source_Name, staged, o);
        if (got.Cancelled || cancelled())
            return give_up({}, true);
        if (!got.Ok)
            return give_up(QStringLiteral("%1 could not be fetched: %2.").arg(item.Source_Name, got.Error), false, item.Source_Name);
        // From here on the file is known by its descriptor: what is checked is what is put in place.
        item.Fd = ::open(Path(staged).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        if (item.Fd < 0 || ::fstat(item.Fd, &item.Checked) != 0 || !S_ISREG(item.Checked.st_mode))
            return give_up(QStringLiteral("%1 could not be read back: %2.").arg(item.Source_Name, Os_Error()), false, item.Source_Name);
        if (have_index) {
            if (!sums.contains(item.Source_Name))
                return give_up(QStringLiteral("%1 is not listed in the update source's SHA256SUMS.").arg(item.Source_Name), false,
                               item.Source_Name);
            if (File_Sha256(QStringLiteral("/proc/self/fd/%1").arg(item.Fd)) != sums.value(item.Source_Name))
                return give_up(QStringLiteral("%1 does not match its checksum in SHA256SUMS.").arg(item.Source_Name), false,
                               item.Source_Name);
        }
        const QString problem = Check_Update_File(QStringLiteral("/proc/self/fd/%1").arg(item.Fd), item.Kind);
        if (!problem.isEmpty())
            return give_up(QStringLiteral("%1 was refused: %2.").arg(item.Source_Name, problem), false, item.Source_Name);
        advance();
    }
    if (cancelled())
        return give_up({}, true);

    // Every item arrived and passed: plan the swap, write the plan down,
    // then swap quickly and without a pause for Cancel.
    QList<Swap_Entry> plan;
    for (int i = 0; i < items.size(); ++i) {
        QString error;
        if (!Plan_Item(items[i], app, i, error))
            return give_up(QStringLiteral("%1 could not be replaced: %2; nothing was replaced.").arg(items[i].Final_Name, error), false,
                           items[i].Final_Name);
        plan.append({items[i].Final_Name, items[i].Staged, items[i].Backup_Name, items[i].Keep, items[i].Had_Current});
    }
    QString journal_error;
    if (!Write_Swap_Journal(staging, plan, journal_error))
        return give_up(QStringLiteral("The update could not start: %1; nothing was replaced.").arg(journal_error));
    int step = 0;
    const std::function<void()> step_done = [&step] {
        if (Swap_Step_Hook)
            Swap_Step_Hook(++step);
    };
    step_done();
    for (int i = 0; i < items.size(); ++i) {
        QString error;
        if (!Swap_In(items[i], app, staging, step_done, error)) {
            const QStringList left = Roll_Back_Swap(app, staging, plan);
            const QString back = left.isEmpty() ? QStringLiteral("every file was put back")
                                                : QStringLiteral("not every file could be put back: %1").arg(left.join(QStringLiteral("; ")));
            if (left.isEmpty()) {
                QString ignored;
                Drop_Swap_Journal(staging, ignored);
            } else {
                staging.clear(); // its plan is kept for the next run to finish
            }
            return give_up(QStringLiteral("%1 could not be replaced: %2; %3.").arg(items[i].Final_Name, error, back), false,
                           items[i].Final_Name);
        }
        step_done();
    }
    if (!Sync_Folder(app))
        result.Problems << QStringLiteral("The program folder could not be written to disk (%1).").arg(Os_Error());
    step_done();
    QString drop_error;
    if (!Drop_Swap_Journal(staging, drop_error))
        result.Problems << QStringLiteral("The update's plan could not be removed (%1).").arg(drop_error);
    step_done();
    close_files();
    for (const Item &item : std::as_const(items)) {
        result.Files.append({item.Final_Name, true,
                             item.Had_Current && !item.Backup_Name.isEmpty() ? QStringLiteral("backup ") + item.Backup_Name
                                                                             : QString()});
        if (item.Kind == Update_File_Kind::Program)
            result.Program_Replaced = true;
    }
    Remove_Staging_Folder(staging);
    if (!unchecked_signature.isEmpty())
        result.Messages << unchecked_signature;
    result.Messages << Backup_Message(app) << Restart_Message;
    return result;
}
