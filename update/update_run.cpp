#include "update_run.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

// Files copied from a read-only medium arrive read-only; they are made
// writable by their owner before they are moved or deleted.
void Clear_Attributes(const QString &path)
{
    if (QFile::exists(path))
        QFile::setPermissions(path, QFile::permissions(path) | QFile::ReadOwner | QFile::WriteOwner);
}

bool Write_File(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

// The current file goes to today's backup name, the new one takes its place.
bool Swap(const QString &current, const QString &temporary, const QString &backup)
{
    for (const QString &path : {current, temporary, backup})
        Clear_Attributes(path);
    QFile::remove(backup);
    const bool had_current = QFile::exists(current);
    if (had_current && !QFile::rename(current, backup))
        return false;
    if (QFile::rename(temporary, current))
        return true;
    if (had_current)
        QFile::rename(backup, current); // never leave the final name empty
    return false;
}

QString Stem(const QString &name)
{
    return name.left(name.size() - 3); // "AWWA-Standard.mtr" -> "AWWA-Standard."
}

} // namespace

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
           && name.endsWith(QStringLiteral(".mtr"), Qt::CaseInsensitive);
}

Update_Run_Result Run_Update(const Update_Run_Context &c, const Update_Choice &choice)
{
    Update_Run_Result result;
    const QString stamp = Date_Stamp(c.Today);
    const auto at = [&c](const QString &name) { return c.App_Path + u'/' + name; };
    const auto advance = [&c] {
        if (c.Advance)
            c.Advance();
    };
    if (!choice.Anything()) {
        result.Nothing_Selected = true;
        result.Messages << No_Files_Selected_Message;
        return result;
    }

    bool program_fetched = false;
    if (choice.Program) {
        // Source name and local name; all six must arrive before any is written.
        const QList<QPair<QString, QString>> files = {
            {QStringLiteral("Version.txt"), QStringLiteral("Version.txt")},
            {c.Program_Name, c.Program_Name + QStringLiteral(".tmp")},
            {QStringLiteral("License.txt"), QStringLiteral("License.txt")},
            {QStringLiteral("QV-Help.htm"), QStringLiteral("QV-Help.htm")},
            {QStringLiteral("Sample.qvl"), QStringLiteral("Sample.qvl")},
            {QStringLiteral("Quorvel.zip"), QStringLiteral("Quorvel.tmq")},
        };
        QList<QByteArray> contents;
        for (const auto &file : files) {
            QByteArray bytes;
            if (!c.Fetch(file.first, bytes) || bytes.isEmpty()) {
                result.Problems << QStringLiteral("%1 could not be fetched from the update source; the program files were left as they were.")
                                       .arg(file.first);
                break;
            }
            contents << bytes;
        }
        if (contents.size() == files.size()) {
            program_fetched = true;
            for (int i = 0; i < files.size(); ++i) {
                Clear_Attributes(at(files[i].second));
                if (!Write_File(at(files[i].second), contents[i]))
                    result.Problems << QStringLiteral("%1 could not be written.").arg(files[i].second);
                advance();
            }
            const QString tmp = at(c.Program_Name + QStringLiteral(".tmp"));
            QFile::setPermissions(tmp, QFile::permissions(tmp) | QFile::ExeOwner | QFile::ReadOwner | QFile::WriteOwner);
        }
    }

    const auto update_data_file = [&](const QString &name) {
        QByteArray bytes;
        if (!c.Fetch(name, bytes) || bytes.isEmpty()) {
            result.Problems << QStringLiteral("%1 could not be fetched from the update source; the current file was kept.").arg(name);
            return;
        }
        const QString temporary = at(Stem(name) + QStringLiteral("tmp"));
        const QString backup = at(QFileInfo(name).suffix().compare(QStringLiteral("mtr"), Qt::CaseInsensitive) == 0
                                      ? Stem(name) + u'-' + stamp + QStringLiteral(".bak")
                                      : QFileInfo(name).completeBaseName() + u'-' + stamp + QStringLiteral(".bak"));
        if (!Write_File(temporary, bytes) || !Swap(at(name), temporary, backup)) {
            QFile::remove(temporary);
            result.Problems << QStringLiteral("%1 could not be replaced; the current file was kept.").arg(name);
        }
        advance();
    };
    for (int t = 0; t < 3; ++t) {
        if (choice.Table[t])
            update_data_file(c.Table_Names[t]);
    }
    for (const QString &list : choice.Meter_Lists) {
        if (Is_Safe_List_Name(list))
            update_data_file(list);
        else
            result.Problems << QStringLiteral("The meter list name \"%1\" is not a plain file name; it was not fetched.").arg(list);
    }

    result.Messages << QStringLiteral("Backups of your files were placed in '") + c.App_Path
                           + QStringLiteral("' with the date and extention of '.bak'.  You must restart Quorvel for "
                                            "the updates to take effect.");
    // The program file is replaced in place: the running program keeps
    // the file it started from, the next start takes the new one.
    if (program_fetched) {
        const QString current = at(c.Program_Name);
        if (Swap(current, at(c.Program_Name + QStringLiteral(".tmp")), at(c.Program_Name + u'-' + stamp + QStringLiteral(".bak")))) {
            result.Program_Replaced = true;
            Clear_Attributes(at(QStringLiteral("Quorvel.vmf")));
            QFile::remove(at(QStringLiteral("Quorvel.vmf")));
            QFile::rename(at(QStringLiteral("Quorvel.tmq")), at(QStringLiteral("Quorvel.vmf")));
        } else {
            result.Problems << QStringLiteral("The program file could not be replaced; the current program was kept.");
        }
    }
    result.Messages << Restart_Message;
    return result;
}
