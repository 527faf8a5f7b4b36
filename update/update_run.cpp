#include "update_run.h"

#include "meter_list_edit.h"
#include "update_check.h"
#include "update_verify.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

constexpr qint64 Most_Index_Bytes = 1024 * 1024;

// One file of the run: where it comes from, where it goes, what it is.
struct Item {
    QString Source_Name;
    QString Final_Name;
    Update_File_Kind Kind = Update_File_Kind::Document;
    QString Backup_Name; // the dated backup kept in the program folder; empty: none is kept
    QString Staged;      // the fetched file in the staging folder
    QString Keep;        // the current file held in the staging folder while there is no dated backup
    QString Previous;    // an earlier backup of the same day, held until the run succeeded
    bool Had_Current = false;
    bool Swapped = false;
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

// Files copied from a read-only medium arrive read-only; they are made
// writable by their owner before they are moved.
void Clear_Attributes(const QString &path)
{
    if (QFileInfo(path).isFile())
        QFile::setPermissions(path, QFile::permissions(path) | QFile::ReadOwner | QFile::WriteOwner);
}

bool Rename_Over(const QString &from, const QString &to)
{
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

// A second name for the current file: a hard link, or a copy where the
// file system has none.
bool Second_Name(const QString &current, const QString &other, QString &error)
{
    QFile::remove(other);
    if (::link(QFile::encodeName(current).constData(), QFile::encodeName(other).constData()) == 0)
        return true;
    const QString link_error = Os_Error();
    if (QFile::copy(current, other))
        return true;
    error = QStringLiteral("no backup could be made of it (%1)").arg(link_error);
    return false;
}

// The current file keeps a second name, the staged file takes the final
// name in one step: at no moment is there no file under the final name.
bool Swap_In(Item &item, const QString &app, const QString &staging, int index, QString &error)
{
    const QString final_path = app + u'/' + item.Final_Name;
    const QFileInfo current(final_path);
    item.Had_Current = current.exists() || current.isSymLink();
    if (item.Had_Current && !current.isFile()) {
        error = QStringLiteral("the name is taken by something that is not a file");
        return false;
    }
    QFile::Permissions permissions = item.Kind == Update_File_Kind::Program
                                         ? QFile::Permissions(0x7755) // rwxr-xr-x
                                         : QFile::Permissions(0x6644); // rw-r--r--
    if (item.Had_Current) {
        Clear_Attributes(final_path);
        // The new file keeps the current one's permissions; the program
        // stays runnable by its owner at least.
        permissions = QFile::permissions(final_path) | QFile::ReadOwner | QFile::WriteOwner;
        if (item.Kind == Update_File_Kind::Program)
            permissions |= QFile::ExeOwner;
        if (!item.Backup_Name.isEmpty()) {
            const QString backup = app + u'/' + item.Backup_Name;
            if (QFileInfo::exists(backup)) {
                Clear_Attributes(backup);
                item.Previous = staging + QStringLiteral("/%1.previous").arg(index);
                if (!Rename_Over(backup, item.Previous)) {
                    error = QStringLiteral("today's earlier backup %1 could not be moved (%2)").arg(item.Backup_Name, Os_Error());
                    item.Previous.clear();
                    return false;
                }
            }
            if (!Second_Name(final_path, backup, error)) {
                if (!item.Previous.isEmpty())
                    Rename_Over(item.Previous, backup);
                item.Previous.clear();
                return false;
            }
        } else {
            item.Keep = staging + QStringLiteral("/%1.current").arg(index);
            if (!Second_Name(final_path, item.Keep, error))
                return false;
        }
    }
    QFile::setPermissions(item.Staged, permissions);
    if (!Rename_Over(item.Staged, final_path)) {
        error = QStringLiteral("it could not be put in place (%1)").arg(Os_Error());
        if (item.Had_Current && !item.Backup_Name.isEmpty()) {
            QFile::remove(app + u'/' + item.Backup_Name);
            if (!item.Previous.isEmpty())
                Rename_Over(item.Previous, app + u'/' + item.Backup_Name);
        }
        return false;
    }
    item.Swapped = true;
    return true;
}

// The staging folder and all in it; a link in its place is removed
// itself, never what it points to.
void Remove_Staging(const QString &staging)
{
    const QFileInfo info(staging);
    if (info.isSymLink() || info.isFile())
        QFile::remove(staging);
    else
        QDir(staging).removeRecursively();
}

// Puts back the file an item replaced.
void Put_Back(const Item &item, const QString &app)
{
    const QString final_path = app + u'/' + item.Final_Name;
    if (!item.Had_Current) {
        QFile::remove(final_path);
        return;
    }
    const QString held = item.Backup_Name.isEmpty() ? item.Keep : app + u'/' + item.Backup_Name;
    Rename_Over(held, final_path);
    if (!item.Previous.isEmpty())
        Rename_Over(item.Previous, app + u'/' + item.Backup_Name);
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
    return !name.isEmpty() && !name.contains(u'/') && !name.contains(u'\\') && name != u".." && !name.startsWith(u'.')
           && !name.contains(QChar(0)) && name.endsWith(QStringLiteral(".mtr"), Qt::CaseInsensitive);
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
        if (!Is_Safe_List_Name(list)) {
            unsafe << list;
            continue;
        }
        if (seen.contains(list, Qt::CaseInsensitive))
            continue;
        seen << list;
        if (Is_User_Meter_List(app + u'/' + list)) { // a user's own list is never replaced
            result.Messages << QStringLiteral("%1 is your own meter list: the update left it as it is.").arg(list);
            continue;
        }
        items.append(Make_Item(list, list, Update_File_Kind::Meter_List, Stem(list) + u'-' + stamp + QStringLiteral(".bak")));
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

    const QString staging = app + u'/' + Staging_Folder_Name;
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
        Remove_Staging(staging);
        const QString problems = result.Problems.join(u' ');
        result.Messages << (was_cancelled ? Cancelled_Message
                            : problems.contains(QStringLiteral("nothing was replaced"))
                                ? problems
                                : QStringLiteral("Nothing was replaced: %1").arg(problems));
        return result;
    };
    if (!unsafe.isEmpty())
        return give_up(QStringLiteral("The meter list name \"%1\" at the update source is not a plain file name; "
                                      "nothing was fetched.").arg(unsafe.join(QStringLiteral("\", \""))));

    // Leftovers of an interrupted run go first.
    Remove_Staging(staging);
    if (!QDir().mkpath(staging) || !QFileInfo(staging).isWritable())
        return give_up(QStringLiteral("The program folder %1 cannot be written, so nothing can be updated there.").arg(app));

    Fetch_Options options = c.Limits;
    options.Cancelled = cancelled;
    const auto fetch = [&](const QString &name, const QString &destination, const Fetch_Options &o) {
        return c.Fetch ? c.Fetch(name, destination, o) : Fetch_To_File(c.Server_Name, name, destination, o);
    };

    // The release index and its signature, when the source has them.
    QMap<QString, QByteArray> sums;
    bool have_index = false, verified = false;
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
        const Fetch_Outcome signature = fetch(QStringLiteral("SHA256SUMS.minisig"), signature_path, small);
        if (signature.Cancelled || cancelled())
            return give_up({}, true);
        if (!signature.Ok && !signature.Missing)
            return give_up(QStringLiteral("SHA256SUMS.minisig could not be fetched: %1.").arg(signature.Error));
        const QString keys_path = app + u'/' + Trusted_Keys_Name;
        const bool have_keys = QFileInfo::exists(keys_path);
        const auto read = [](const QString &path) {
            QFile f(path);
            return f.open(QIODevice::ReadOnly) ? f.read(Most_Index_Bytes) : QByteArray();
        };
        have_index = index.Ok;
        if (signature.Ok) {
            if (!have_index)
                return give_up(Signature_Problem(QStringLiteral("a signature without SHA256SUMS")));
            const QString why = Verify_Minisign(read(index_path), read(signature_path), Parse_Minisign_Keys(read(keys_path)));
            if (!why.isEmpty())
                return give_up(Signature_Problem(why));
            verified = true;
        } else if (have_index && have_keys) {
            return give_up(QStringLiteral("The update source's SHA256SUMS is not signed, but this program takes only "
                                          "signed updates (%1); nothing was replaced.").arg(Trusted_Keys_Name));
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
        item.Staged = staging + QStringLiteral("/%1.new").arg(i);
        Fetch_Options o = options;
        o.Progress = [&c, &item](qint64 received, qint64 total) {
            if (c.Bytes)
                c.Bytes(item.Source_Name, received, total);
        };
        if (c.Bytes)
            c.Bytes(item.Source_Name, 0, -1);
        const Fetch_Outcome got = fetch(item.Source_Name, item.Staged, o);
        if (got.Cancelled || cancelled())
            return give_up({}, true);
        if (!got.Ok)
            return give_up(QStringLiteral("%1 could not be fetched: %2.").arg(item.Source_Name, got.Error), false, item.Source_Name);
        if (have_index) {
            if (!sums.contains(item.Source_Name))
                return give_up(QStringLiteral("%1 is not listed in the update source's SHA256SUMS.").arg(item.Source_Name), false,
                               item.Source_Name);
            if (File_Sha256(item.Staged) != sums.value(item.Source_Name))
                return give_up(QStringLiteral("%1 does not match its checksum in SHA256SUMS.").arg(item.Source_Name), false,
                               item.Source_Name);
        }
        const QString problem = Check_Update_File(item.Staged, item.Kind);
        if (!problem.isEmpty())
            return give_up(QStringLiteral("%1 was refused: %2.").arg(item.Source_Name, problem), false, item.Source_Name);
        advance();
    }
    if (cancelled())
        return give_up({}, true);

    // Every item arrived and passed: swap them in, quickly and without a
    // pause for Cancel; one failure puts back all swapped so far.
    for (int i = 0; i < items.size(); ++i) {
        QString error;
        if (!Swap_In(items[i], app, staging, i, error)) {
            for (int j = i - 1; j >= 0; --j)
                Put_Back(items[j], app);
            for (Item &item : items)
                item.Swapped = false;
            return give_up(QStringLiteral("%1 could not be replaced: %2; every file was put back.").arg(items[i].Final_Name, error),
                           false, items[i].Final_Name);
        }
    }
    for (const Item &item : std::as_const(items)) {
        result.Files.append({item.Final_Name, true,
                             item.Had_Current && !item.Backup_Name.isEmpty() ? QStringLiteral("backup ") + item.Backup_Name
                                                                             : QString()});
        if (item.Kind == Update_File_Kind::Program)
            result.Program_Replaced = true;
    }
    Remove_Staging(staging);
    result.Messages << Backup_Message(app) << Restart_Message;
    return result;
}
