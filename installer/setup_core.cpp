#include "setup_core.h"

#include "associate.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>
#include <cstdio>

namespace {

const QString Manifest_Name = QStringLiteral("Setup-Manifest.txt");
const QString Stage_Name = QStringLiteral(".setup-stage");
const QString Mime_Default = QStringLiteral("application/x-quorvel");

QString Env_Folder(const char *name, const QString &fallback)
{
    const QString value = qEnvironmentVariable(name);
    return value.isEmpty() ? QDir::homePath() + fallback : value;
}

// What an install is made of, as the manifest keeps it.
struct Manifest {
    QStringList Files;   // absolute paths
    QStringList Folders; // folders setup made, absolute paths
    QStringList Defaults; // "type=entry" lines setup put into mimeapps.list
};

Manifest Read_Manifest(const QString &prefix, bool *found = nullptr)
{
    Manifest m;
    QFile file(Setup_Manifest_Path(prefix));
    const bool open = file.open(QIODevice::ReadOnly);
    if (found)
        *found = open;
    if (!open)
        return m;
    // A manifest is a few kB; anything past 1 MB is not one of ours.
    const QList<QByteArray> lines = file.read(1024 * 1024).split('\n');
    for (const QByteArray &raw : lines) {
        const QString line = QString::fromUtf8(raw);
        const qsizetype blank = line.indexOf(u' ');
        if (blank <= 0)
            continue;
        const QString kind = line.left(blank), value = line.mid(blank + 1);
        if (kind == u"file")
            m.Files << value;
        else if (kind == u"dir")
            m.Folders << value;
        else if (kind == u"default")
            m.Defaults << value;
    }
    return m;
}

bool Write_Manifest(const QString &prefix, const Manifest &m, QString *error)
{
    QByteArray text = "# Quorvel setup: what this install put on the computer. setup --uninstall removes it.\n";
    for (const QString &f : m.Folders)
        text += "dir " + f.toUtf8() + '\n';
    for (const QString &f : m.Files)
        text += "file " + f.toUtf8() + '\n';
    for (const QString &d : m.Defaults)
        text += "default " + d.toUtf8() + '\n';
    QSaveFile file(Setup_Manifest_Path(prefix));
    if (file.open(QIODevice::WriteOnly) && file.write(text) == text.size() && file.commit())
        return true;
    *error = file.errorString();
    return false;
}

// mkpath that remembers every folder it made.
bool Make_Path(const QString &folder, QStringList &made)
{
    QStringList missing;
    QString at = QDir::cleanPath(folder);
    while (!at.isEmpty() && !QFileInfo(at).exists()) {
        missing.prepend(at);
        const QString up = QFileInfo(at).path();
        if (up == at)
            break;
        at = up;
    }
    for (const QString &f : missing) {
        if (!QDir().mkdir(f))
            return false;
        if (!made.contains(f))
            made << f;
    }
    return QFileInfo(folder).isDir();
}

QByteArray Digest(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(&f);
    return hash.result();
}

constexpr QFile::Permissions Mode_644 = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther;
constexpr QFile::Permissions Mode_755 = Mode_644 | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther;

// Copies a file to a temporary name beside the target, checks it, sets its
// mode, and renames it over the target.
bool Place_Copy(const QString &from, const QString &to, bool executable, QString *error)
{
    const QString temp = QFileInfo(to).path() + QStringLiteral("/.") + QFileInfo(to).fileName() + QStringLiteral(".new");
    QFile::remove(temp);
    if (!QFile::copy(from, temp) || !QFile::setPermissions(temp, executable ? Mode_755 : Mode_644)
        || Digest(temp) != Digest(from)) {
        QFile::remove(temp);
        *error = QStringLiteral("%1 could not be written").arg(to);
        return false;
    }
    if (std::rename(QFile::encodeName(temp).constData(), QFile::encodeName(to).constData()) != 0) {
        QFile::remove(temp);
        *error = QStringLiteral("%1 could not be replaced").arg(to);
        return false;
    }
    return true;
}

// A path is removed only when it lies inside one of the folders setup
// writes to; a manifest naming anything else is not obeyed for that line.
bool Inside(const QString &path, const QStringList &roots)
{
    if (!QDir::isAbsolutePath(path) || QDir::cleanPath(path) != path)
        return false;
    return std::any_of(roots.begin(), roots.end(), [&path](const QString &root) {
        return !root.isEmpty() && path.startsWith(QDir::cleanPath(root) + u'/');
    });
}


// Removes "type=entry" from [Default Applications] of a mimeapps.list when
// it is still there; a file left with nothing but that section's header goes.
void Remove_Default(const QString &list_path, const QString &line)
{
    QFile file(list_path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    QStringList lines = QString::fromUtf8(file.read(1024 * 1024)).split(u'\n');
    file.close();
    bool in_defaults = false, changed = false;
    for (int i = 0; i < lines.size(); ++i) {
        const QString t = lines[i].trimmed();
        if (t.startsWith(u'['))
            in_defaults = t == u"[Default Applications]";
        else if (in_defaults && t == line) {
            lines.removeAt(i--);
            changed = true;
        }
    }
    if (!changed)
        return;
    QStringList meaningful;
    for (const QString &l : lines) {
        if (!l.trimmed().isEmpty() && l.trimmed() != u"[Default Applications]")
            meaningful << l;
    }
    if (meaningful.isEmpty()) {
        QFile::remove(list_path);
        return;
    }
    QSaveFile out(list_path);
    if (out.open(QIODevice::WriteOnly)) {
        out.write(lines.join(u'\n').toUtf8());
        out.commit();
    }
}

QString Home_Short(const QString &path)
{
    const QString home = QDir::homePath();
    return path.startsWith(home + u'/') ? u'~' + path.mid(home.size()) : path;
}

} // namespace

QString Default_Setup_Prefix()
{
    return QDir::homePath() + QStringLiteral("/.local/opt/Quorvel");
}

Setup_Paths Default_Setup_Paths(const QString &setup_folder, const QString &prefix)
{
    Setup_Paths p;
    p.Source = QDir::cleanPath(setup_folder + QStringLiteral("/program"));
    p.Prefix = QDir::cleanPath(prefix.isEmpty() ? Default_Setup_Prefix() : QDir(prefix).absolutePath());
    p.Data_Home = QDir::cleanPath(Env_Folder("XDG_DATA_HOME", QStringLiteral("/.local/share")));
    p.Config_Home = QDir::cleanPath(Env_Folder("XDG_CONFIG_HOME", QStringLiteral("/.config")));
    p.Bin_Folder = QDir::homePath() + QStringLiteral("/.local/bin");
    return p;
}

QString Setup_Manifest_Path(const QString &prefix)
{
    return prefix + u'/' + Manifest_Name;
}

bool Is_Setup_Install(const QString &prefix)
{
    return QFileInfo(Setup_Manifest_Path(prefix)).isFile();
}

Setup_Result Setup_Install(const Setup_Paths &p)
{
    Setup_Result r;
    const QString program = p.Prefix + QStringLiteral("/Quorvel");
    if (!QFileInfo(p.Source + QStringLiteral("/Quorvel")).isFile()) {
        r.Error = QStringLiteral("The program to install was not found in %1.").arg(p.Source);
        return r;
    }
    if (QDir::cleanPath(p.Source) == QDir::cleanPath(p.Prefix)) {
        r.Error = QStringLiteral("The program folder to install into is the one being installed from.");
        return r;
    }
    bool had_manifest = false;
    const Manifest old = Read_Manifest(p.Prefix, &had_manifest);
    r.Upgrade = had_manifest;
    Manifest now;
    now.Folders = old.Folders;

    // 1. Stage every file of the medium's program folder inside the program
    // folder and check it; nothing installed is touched yet.
    QStringList names;
    QDirIterator it(p.Source, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext())
        names << QDir(p.Source).relativeFilePath(it.next());
    names.sort();
    if (!Make_Path(p.Prefix, now.Folders)) {
        r.Error = QStringLiteral("The folder %1 could not be made.").arg(p.Prefix);
        return r;
    }
    const QString stage = p.Prefix + u'/' + Stage_Name;
    QDir(stage).removeRecursively();
    QStringList unused;
    for (const QString &name : names) {
        const QString from = p.Source + u'/' + name, to = stage + u'/' + name;
        const bool executable = QFileInfo(from).isExecutable() || name == u"Quorvel";
        QString error;
        if (!Make_Path(QFileInfo(to).path(), unused) || !QFile::copy(from, to)
            || !QFile::setPermissions(to, executable ? Mode_755 : Mode_644) || Digest(to) != Digest(from)) {
            QDir(stage).removeRecursively();
            r.Error = QStringLiteral("%1 could not be copied into %2 (is the disk full?). Nothing was changed.")
                          .arg(name, p.Prefix);
            if (!had_manifest) // a first install leaves no empty folders behind
                for (auto f = now.Folders.crbegin(); f != now.Folders.crend(); ++f)
                    QDir().rmdir(*f);
            return r;
        }
    }

    // 2. Move the staged files over the installed ones.
    for (const QString &name : names) {
        const QString to = p.Prefix + u'/' + name;
        if (!Make_Path(QFileInfo(to).path(), now.Folders)
            || std::rename(QFile::encodeName(stage + u'/' + name).constData(), QFile::encodeName(to).constData()) != 0) {
            r.Error = QStringLiteral("%1 could not be replaced.").arg(to);
            QDir(stage).removeRecursively();
            now.Files << old.Files;
            now.Files.removeDuplicates();
            QString ignored;
            Write_Manifest(p.Prefix, now, &ignored); // whatever was moved stays removable
            return r;
        }
        now.Files << to;
    }
    QDir(stage).removeRecursively();
    // Files of the earlier release that this one no longer has.
    for (const QString &f : old.Files) {
        if (!now.Files.contains(f) && Inside(f, {p.Prefix}))
            QFile::remove(f);
    }
    r.Done << (r.Upgrade ? QStringLiteral("Upgraded the program folder %1 (%2 files); files of yours in it were "
                                          "kept.")
                         : QStringLiteral("Installed the program folder %1 (%2 files)."))
                  .arg(Home_Short(p.Prefix))
                  .arg(names.size());

    // 3. The icon into the user's hicolor theme.
    const QString theme = p.Data_Home + QStringLiteral("/icons/hicolor");
    QStringList icons;
    if (QFileInfo(p.Prefix + QStringLiteral("/quorvel.svg")).isFile())
        icons << QStringLiteral("quorvel.svg");
    for (const QString &name : names) {
        if (name.startsWith(QStringLiteral("icons/hicolor/")))
            icons << name;
    }
    for (const QString &icon : icons) {
        const QString from = p.Prefix + u'/' + icon;
        const QString to = icon == u"quorvel.svg" ? theme + QStringLiteral("/scalable/apps/quorvel.svg")
                                                  : theme + icon.mid(QStringLiteral("icons/hicolor").size());
        QString error;
        if (Make_Path(QFileInfo(to).path(), now.Folders) && Place_Copy(from, to, false, &error))
            now.Files << to;
        else
            r.Done << QStringLiteral("The icon %1 could not be installed.").arg(to);
    }
    if (!icons.isEmpty())
        r.Done << QStringLiteral("Installed the icon into %1.").arg(Home_Short(theme));

    // 4. The command in ~/.local/bin.
    const QString command = p.Bin_Folder + QStringLiteral("/quorvel");
    const QFileInfo existing(command);
    const bool ours = old.Files.contains(command)
                      || (existing.isSymLink() && existing.symLinkTarget().endsWith(QStringLiteral("/Quorvel")));
    if (existing.exists() || existing.isSymLink()) {
        if (!ours) {
            r.Done << QStringLiteral("%1 exists and is not Quorvel's: it was left as it was.").arg(Home_Short(command));
        }
    }
    if (ours || !(existing.exists() || existing.isSymLink())) {
        const QString temp = p.Bin_Folder + QStringLiteral("/.quorvel.new");
        QFile::remove(temp);
        if (Make_Path(p.Bin_Folder, now.Folders) && QFile::link(program, temp)
            && std::rename(QFile::encodeName(temp).constData(), QFile::encodeName(command).constData()) == 0) {
            now.Files << command;
            r.Done << QStringLiteral("Made the command %1.").arg(Home_Short(command));
            const QStringList path = qEnvironmentVariable("PATH").split(u':');
            r.Command_On_Path = path.contains(p.Bin_Folder);
            if (!r.Command_On_Path)
                r.Done << QStringLiteral("%1 is not on your PATH: add it to start Quorvel by its name.")
                              .arg(Home_Short(p.Bin_Folder));
        } else {
            QFile::remove(temp);
            r.Done << QStringLiteral("The command %1 could not be made.").arg(Home_Short(command));
        }
    }

    // 5. The menu entry and the job-file type: the program's own registration.
    Cla_Associate type = Quorvel_Association(program);
    Make_Path(QFileInfo(type.Mime_Package_Path()).path(), now.Folders);
    Make_Path(QFileInfo(type.Desktop_Entry_Path()).path(), now.Folders);
    Make_Path(QFileInfo(type.Default_Apps_Path()).path(), now.Folders);
    if (type.Needs_Launcher_Script())
        Make_Path(QFileInfo(type.Launcher_Script_Path()).path(), now.Folders);
    const Cla_Associate::Error e = type.Associate();
    if (e.Number == 0) {
        now.Files << type.Mime_Package_Path() << type.Desktop_Entry_Path();
        if (type.Needs_Launcher_Script()) // a program folder whose path needs quoting is started through it
            now.Files << type.Launcher_Script_Path();
        now.Defaults << type.Mime_Type() + u'=' + type.Desktop_Entry_Name();
        r.Done << QStringLiteral("Added Quorvel to the applications menu and made it open .qvl job files.");
    } else {
        r.Done << QStringLiteral("The job-file type could not be registered: %1").arg(e.Description);
    }
    now.Files.removeDuplicates();
    now.Defaults.removeDuplicates();

    QString error;
    if (!Write_Manifest(p.Prefix, now, &error)) {
        r.Error = QStringLiteral("The list of installed files could not be written: %1").arg(error);
        return r;
    }
    r.Ok = true;
    return r;
}

Setup_Result Setup_Uninstall(const Setup_Paths &p)
{
    Setup_Result r;
    bool found = false;
    const Manifest m = Read_Manifest(p.Prefix, &found);
    if (!found) {
        r.Error = QStringLiteral("No Quorvel installed by setup was found in %1.").arg(p.Prefix);
        return r;
    }
    const QStringList roots = {p.Prefix, p.Data_Home, p.Bin_Folder};
    int removed = 0, refused = 0;
    for (const QString &f : m.Files) {
        if (!Inside(f, roots)) {
            ++refused;
            continue;
        }
        if (QFile::remove(f))
            ++removed;
    }
    // What the program itself writes into its folder.
    static const QRegularExpression backup(QStringLiteral("^.+-\\d{6}\\.bak$"));
    QDir folder(p.Prefix);
    for (const QString &name : folder.entryList(QDir::Files | QDir::Hidden)) {
        if (name == u"Quorvel.prn" || name == u"License.txt" || name == u"Version.txt" || name == u"Update.txt"
            || backup.match(name).hasMatch())
            removed += QFile::remove(folder.filePath(name)) ? 1 : 0;
    }
    QDir(p.Prefix + u'/' + Stage_Name).removeRecursively();
    for (const QString &d : m.Defaults)
        Remove_Default(p.Config_Home + QStringLiteral("/mimeapps.list"), d);
    r.Done << QStringLiteral("Removed %1 files of Quorvel.").arg(removed);
    if (refused > 0)
        r.Done << QStringLiteral("%1 lines of the list of installed files named places outside the install; "
                                 "they were left alone.")
                      .arg(refused);

    // The desktop's caches: rebuilt, or removed with the folder setup made
    // for them when nothing else is registered there.
    const QString mime = p.Data_Home + QStringLiteral("/mime");
    if (QDir(mime + QStringLiteral("/packages")).isEmpty(QDir::Files | QDir::NoDotAndDotDot) && m.Folders.contains(mime))
        QDir(mime).removeRecursively();
    else if (QFileInfo(mime + QStringLiteral("/packages")).isDir())
        Run_Desktop_Tool(QStringLiteral("update-mime-database"), {mime});
    const QString apps = p.Data_Home + QStringLiteral("/applications");
    if (QDir(apps).entryList({QStringLiteral("*.desktop")}, QDir::Files).isEmpty()) {
        if (m.Folders.contains(apps))
            QFile::remove(apps + QStringLiteral("/mimeinfo.cache"));
    } else {
        Run_Desktop_Tool(QStringLiteral("update-desktop-database"), {apps});
    }

    QFile::remove(Setup_Manifest_Path(p.Prefix));
    QStringList folders = m.Folders;
    std::sort(folders.begin(), folders.end(), [](const QString &a, const QString &b) { return a.size() > b.size(); });
    for (const QString &f : folders) {
        if (Inside(f, roots) || f == p.Prefix || QDir::cleanPath(f).startsWith(QDir::homePath() + u'/'))
            QDir().rmdir(f); // only when empty
    }
    if (QFileInfo(p.Prefix).isDir()) {
        const QStringList left = QDir(p.Prefix).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        if (!left.isEmpty())
            r.Done << QStringLiteral("Kept %1: it holds files setup did not install (%2).")
                          .arg(p.Prefix, left.mid(0, 5).join(QStringLiteral(", ")));
    }
    const QString settings = p.Config_Home + QStringLiteral("/Quorvel/Quorvel.ini");
    if (QFileInfo::exists(settings))
        r.Done << QStringLiteral("Your settings in %1 were kept.").arg(Home_Short(settings));
    r.Ok = true;
    return r;
}
