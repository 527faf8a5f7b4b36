#include "associate.h"

#include "program_state.h"
#include "user_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace {

QString Data_Home()
{
    const QString env = qEnvironmentVariable("XDG_DATA_HOME");
    return env.isEmpty() ? QDir::homePath() + QStringLiteral("/.local/share") : env;
}

QString Config_Home()
{
    const QString env = qEnvironmentVariable("XDG_CONFIG_HOME");
    return env.isEmpty() ? QDir::homePath() + QStringLiteral("/.config") : env;
}

QString Xml_Escaped(const QString &text)
{
    return text.toHtmlEscaped();
}

enum class Written { Unchanged, Written, Failed };

// Writes the file, all or nothing, only when its text differs.
Written Write_If_Changed(const QString &path, const QByteArray &bytes)
{
    QFile current(path);
    if (current.open(QIODevice::ReadOnly) && current.read(bytes.size() + 1) == bytes)
        return Written::Unchanged;
    current.close();
    QDir().mkpath(QFileInfo(path).absolutePath());
    return Write_User_File(path, bytes).Ok ? Written::Written : Written::Failed;
}

// Characters for which the desktop entry rules want an Exec
// argument quoted.
const QString Reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");

bool Plain(const QString &text)
{
    for (const QChar c : text)
        if (Reserved.contains(c) || c.unicode() < 0x20 || c == u'%' || c == u'=')
            return false;
    return true;
}

// A value of type string in a desktop entry: backslash and the control
// characters escaped.
QString String_Value(const QString &text)
{
    QString out;
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '\\': out += QStringLiteral("\\\\"); break;
        case '\n': out += QStringLiteral("\\n"); break;
        case '\t': out += QStringLiteral("\\t"); break;
        case '\r': out += QStringLiteral("\\r"); break;
        default: out += c;
        }
    }
    return out;
}

// The launcher script that double-click runs when the program's own path
// would need quoting: it lies in the per-user data folder and starts the
// program with the file.
QString Shell_Quoted(const QString &text)
{
    QString t = text;
    t.replace(u'\'', QStringLiteral("'\\''"));
    return u'\'' + t + u'\'';
}


// Sets key=value in [Default Applications] of a mimeapps.list, keeping
// every other line as it was.
QByteArray With_Default(const QByteArray &old, const QString &key, const QString &value)
{
    QStringList lines = QString::fromUtf8(old).split(u'\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    const QString header = QStringLiteral("[Default Applications]");
    const QString entry = key + u'=' + value;
    int section = -1;
    for (int i = 0; i < lines.size(); ++i) {
        if (lines[i].trimmed() == header) {
            section = i;
            break;
        }
    }
    if (section < 0) {
        if (!lines.isEmpty() && !lines.last().trimmed().isEmpty())
            lines << QString();
        lines << header << entry;
    } else {
        int i = section + 1;
        bool replaced = false;
        for (; i < lines.size() && !lines[i].trimmed().startsWith(u'['); ++i) {
            if (lines[i].section(u'=', 0, 0).trimmed() == key) {
                lines[i] = entry;
                replaced = true;
                break;
            }
        }
        if (!replaced)
            lines.insert(section + 1, entry);
    }
    return (lines.join(u'\n') + u'\n').toUtf8();
}

// Removes the line key=value from [Default Applications], keeping every
// other line as it was.
QByteArray Without_Default(const QByteArray &old, const QString &key, const QString &value)
{
    QStringList lines = QString::fromUtf8(old).split(u'\n');
    bool inside = false;
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (line.startsWith(u'['))
            inside = line == QStringLiteral("[Default Applications]");
        else if (inside && line.section(u'=', 0, 0).trimmed() == key && line.section(u'=', 1).trimmed() == value)
            lines.removeAt(i--);
    }
    return lines.join(u'\n').toUtf8();
}

// The first argument of an Exec value as Exec_Argument writes it.
QString First_Exec_Argument(const QString &value)
{
    // The escapes of every string value first.
    QString text;
    for (int i = 0; i < value.size(); ++i) {
        if (value[i] == u'\\' && i + 1 < value.size()) {
            const QChar c = value[++i];
            text += c == u'n' ? QChar(u'\n') : c == u't' ? QChar(u'\t') : c == u'r' ? QChar(u'\r') : c == u's' ? QChar(u' ') : c;
        } else {
            text += value[i];
        }
    }
    text.replace(QStringLiteral("%%"), QStringLiteral("%"));
    if (!text.startsWith(u'"'))
        return text.section(u' ', 0, 0);
    QString argument;
    for (int i = 1; i < text.size() && text[i] != u'"'; ++i) {
        if (text[i] == u'\\' && i + 1 < text.size())
            ++i;
        argument += text[i];
    }
    return argument;
}

QByteArray Read_Small(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(1024 * 1024) : QByteArray();
}

bool Inside(const QString &path, const QString &folder)
{
    const QString f = QDir::cleanPath(folder) + u'/';
    if (QDir::cleanPath(path).startsWith(f))
        return true;
    const QString real_folder = QFileInfo(folder).canonicalFilePath();
    const QString real_path = QFileInfo(path).canonicalFilePath();
    return !real_folder.isEmpty() && !real_path.isEmpty() && real_path.startsWith(real_folder + u'/');
}

} // namespace

QString Cla_Associate::Mime_Type() const
{
    QString name = Class.toLower();
    if (name.endsWith(QStringLiteral("_file")))
        name.chop(5);
    name.replace(u'_', u'-');
    return QStringLiteral("application/x-") + name;
}

QString Cla_Associate::Desktop_Entry_Name() const
{
    return Mime_Type().section(u'-', 1) + QStringLiteral(".desktop");
}

QString Cla_Associate::Mime_Package_Path() const
{
    return Data_Home() + QStringLiteral("/mime/packages/") + Mime_Type().section(u'/', 1) + QStringLiteral(".xml");
}

QString Cla_Associate::Desktop_Entry_Path() const
{
    return Data_Home() + QStringLiteral("/applications/") + Desktop_Entry_Name();
}

QString Cla_Associate::Default_Apps_Path() const
{
    return Config_Home() + QStringLiteral("/mimeapps.list");
}

QString Cla_Associate::Mime_Package_Text() const
{
    QString glob = Extension;
    if (glob.startsWith(u'.'))
        glob.remove(0, 1);
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                          "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
                          "  <mime-type type=\"%1\">\n"
                          "    <comment>%2</comment>\n"
                          "    <glob pattern=\"*.%3\"/>\n"
                          "  </mime-type>\n"
                          "</mime-info>\n")
        .arg(Mime_Type(), Xml_Escaped(Title), Xml_Escaped(glob));
}

QString Exec_Argument(const QString &argument)
{
    QString a = argument;
    if (!Plain(a)) {
        // Inside double quotes a double quote, backquote, dollar sign and
        // backslash are escaped by a backslash.
        QString quoted;
        for (const QChar c : a) {
            if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
                quoted += u'\\';
            quoted += c;
        }
        a = u'"' + quoted + u'"';
    }
    a.replace(u'%', QStringLiteral("%%")); // a literal percent sign
    return String_Value(a);                 // the escapes of every string value come on top
}

QString Cla_Associate::Launcher_Script_Path() const
{
    return Data_Home() + QStringLiteral("/Quorvel/quorvel-open");
}

QString Cla_Associate::Launcher_Script_Text() const
{
    return QStringLiteral("#!/bin/sh\n"
                          "# Starts Quorvel with the files given; written by Quorvel at every start.\n"
                          "exec %1 \"$@\"\n")
        .arg(Shell_Quoted(AppCommand));
}

bool Cla_Associate::Needs_Launcher_Script() const
{
    return !Plain(AppCommand);
}

QString Cla_Associate::Desktop_Entry_Text() const
{
    // A program path that would need quoting is reached through the
    // launcher script: the desktop's openers that split the Exec line at
    // blanks (xdg-open without a desktop) still start it.
    const QString program = Exec_Argument(Needs_Launcher_Script() ? Launcher_Script_Path() : AppCommand);
    const QString icon = String_Value(DefaultIcon.section(u',', 0, 0));
    const QString name = String_Value(App_Name.isEmpty() ? QFileInfo(AppCommand).completeBaseName() : App_Name);
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=%1\n"
                          "Comment=Opens %2 files\n"
                          "Exec=%3 %f\n"
                          "Icon=%4\n"
                          "MimeType=%5;\n"
                          "Terminal=false\n"
                          "Categories=Science;Engineering;\n")
        .arg(name, String_Value(Title), program, icon, Mime_Type());
}

Cla_Associate::Error Cla_Associate::Associate()
{
    const QString source = QStringLiteral("Associate Class");
    if (Title.isEmpty())
        return {922, source, QStringLiteral("Associate Class - Application title not specified")};
    if (Class.isEmpty())
        return {926, source, QStringLiteral("Associate Class - Application Class name not specified")};
    if (AppCommand.isEmpty())
        return {930, source, QStringLiteral("Associate Class - Command line of the program not specified")};

    if (Write_If_Changed(Mime_Package_Path(), Mime_Package_Text().toUtf8()) == Written::Written)
        Run_Desktop_Tool(QStringLiteral("update-mime-database"), {Data_Home() + QStringLiteral("/mime")});
    if (Needs_Launcher_Script()) {
        const QString script = Launcher_Script_Path();
        if (Write_If_Changed(script, Launcher_Script_Text().toUtf8()) == Written::Failed)
            return {}; // no entry that points at a script never written
        QFile::setPermissions(script, QFile::permissions(script) | QFile::ExeOwner | QFile::ReadOwner
                                          | QFile::ExeGroup | QFile::ExeOther);
        if (!QFileInfo(script).isExecutable())
            return {};
    }
    switch (Write_If_Changed(Desktop_Entry_Path(), Desktop_Entry_Text().toUtf8())) {
    case Written::Failed:
        return {}; // no default for an entry that was not written
    case Written::Written:
        Run_Desktop_Tool(QStringLiteral("update-desktop-database"), {Data_Home() + QStringLiteral("/applications")});
        break;
    case Written::Unchanged:
        break;
    }
    QFile apps(Default_Apps_Path());
    QByteArray old;
    if (apps.open(QIODevice::ReadOnly))
        old = apps.read(1024 * 1024);
    apps.close();
    Write_If_Changed(Default_Apps_Path(), With_Default(old, Mime_Type(), Desktop_Entry_Name()));
    return {};
}

QString Cla_Associate::Registered_Program() const
{
    const QStringList lines = QString::fromUtf8(Read_Small(Desktop_Entry_Path())).split(u'\n');
    if (!lines.contains(QStringLiteral("MimeType=") + Mime_Type() + u';'))
        return {}; // not an entry of this type
    for (const QString &line : lines) {
        if (!line.startsWith(QStringLiteral("Exec=")))
            continue;
        const QString program = First_Exec_Argument(line.mid(5));
        if (program != Launcher_Script_Path())
            return program;
        // The script's "exec 'program' "$@"" line, its quoting undone.
        for (const QString &s : QString::fromUtf8(Read_Small(program)).split(u'\n')) {
            if (s.startsWith(QStringLiteral("exec '")) && s.endsWith(QStringLiteral("' \"$@\""))) {
                QString quoted = s.mid(6);
                quoted.chop(6);
                return quoted.replace(QStringLiteral("'\\''"), QStringLiteral("'"));
            }
        }
        return {};
    }
    return {};
}

bool Cla_Associate::Remove_Registration_Into(const QString &folder)
{
    const QString program = Registered_Program();
    if (program.isEmpty() || !Inside(program, folder))
        return false;
    Cla_Associate earlier = *this;
    earlier.AppCommand = program;
    if (Read_Small(Launcher_Script_Path()) == earlier.Launcher_Script_Text().toUtf8())
        QFile::remove(Launcher_Script_Path());
    QFile::remove(Desktop_Entry_Path());
    Run_Desktop_Tool(QStringLiteral("update-desktop-database"), {Data_Home() + QStringLiteral("/applications")});
    if (Read_Small(Mime_Package_Path()) == Mime_Package_Text().toUtf8()) {
        QFile::remove(Mime_Package_Path());
        Run_Desktop_Tool(QStringLiteral("update-mime-database"), {Data_Home() + QStringLiteral("/mime")});
    }
    const QByteArray apps = Read_Small(Default_Apps_Path());
    const QByteArray without = Without_Default(apps, Mime_Type(), Desktop_Entry_Name());
    if (without != apps)
        Write_User_File(Default_Apps_Path(), without);
    return true;
}

void Register_Quorvel_At_Start(const QString &program_file)
{
    const QString folder = QFileInfo(program_file).absolutePath();
    Cla_Associate type = Quorvel_Association(program_file);
    if (Package_Managed(folder))
        type.Remove_Registration_Into(folder);
    else
        type.Associate(); // a failing registration does not stop the program
}

Cla_Associate Quorvel_Association(const QString &program_file)
{
    Cla_Associate a;
    a.Title = QStringLiteral("Quorvel Data File");
    a.Class = QStringLiteral("Quorvel_File");
    a.Extension = QStringLiteral(".qvl");
    a.AppCommand = program_file;
    a.DefaultIcon = Quorvel_Icon(program_file);
    a.App_Name = QStringLiteral("Quorvel");
    return a;
}

QString Quorvel_Icon(const QString &program_file)
{
    const QString theme_icon = QStringLiteral("/icons/hicolor/scalable/apps/quorvel.svg");
    QStringList data_dirs = {Data_Home()};
    const QString dirs = qEnvironmentVariable("XDG_DATA_DIRS");
    data_dirs << (dirs.isEmpty() ? QStringLiteral("/usr/local/share:/usr/share") : dirs).split(u':', Qt::SkipEmptyParts);
    for (const QString &dir : data_dirs) {
        if (QFileInfo(dir + theme_icon).isFile())
            return QStringLiteral("quorvel");
    }
    const QString beside = QFileInfo(program_file).absolutePath() + QStringLiteral("/quorvel.svg");
    return QFileInfo(beside).isFile() ? beside : program_file;
}

void Run_Desktop_Tool(const QString &program, const QStringList &args)
{
    const QString path = QStandardPaths::findExecutable(program);
    if (path.isEmpty())
        return;
    QProcess process;
    process.start(path, args);
    if (process.waitForStarted(2000))
        process.waitForFinished(10000);
}
