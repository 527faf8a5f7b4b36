#include "shell_run.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QUrl>

namespace {

constexpr int Success_Code = 42;
constexpr int Not_Found_Code = 2;
constexpr int Failed_Code = 0;

Shell_Launcher &Current_Launcher()
{
    static Shell_Launcher launcher = Default_Shell_Launcher();
    return launcher;
}

// A program found on PATH or as a path.
QString Program_Path(const QString &program)
{
    if (program.contains(u'/'))
        return QFileInfo(program).isFile() && QFileInfo(program).isExecutable() ? program : QString();
    return QStandardPaths::findExecutable(program);
}

} // namespace

Shell_Command Shell_Split(const QString &command_line)
{
    Shell_Command c;
    QString line = command_line;
    qsizetype split = -1;
    if (line.startsWith(u'"')) {
        const qsizetype close = line.indexOf(u'"', 1);
        if (close > 0) {
            line.remove(close, 1);
            line.remove(0, 1);
            split = close - 1;
        }
    } else {
        split = line.indexOf(u' ');
    }
    c.Command_Line = line;
    if (split < 0) {
        c.Program = line;
    } else {
        c.Program = line.left(split);
        c.Parameters = line.mid(split);
        while (c.Parameters.startsWith(u' '))
            c.Parameters.remove(0, 1);
    }
    const qsizetype slash = c.Program.lastIndexOf(u'/');
    if (slash < 0)
        c.Working_Folder = QDir::currentPath();
    else if (slash == 0)
        c.Working_Folder = QStringLiteral("/");
    else
        c.Working_Folder = c.Program.left(slash);
    return c;
}

QStringList Split_Arguments(const QString &parameters)
{
    QStringList args;
    QString current;
    bool quoted = false, any = false;
    for (const QChar ch : parameters) {
        if (ch == u'"') {
            quoted = !quoted;
            any = true;
        } else if (ch == u' ' && !quoted) {
            if (any)
                args << current;
            current.clear();
            any = false;
        } else {
            current += ch;
            any = true;
        }
    }
    if (any)
        args << current;
    return args;
}

Shell_Launcher Default_Shell_Launcher()
{
    Shell_Launcher l;
    l.Open_Document = [](const QString &document) {
        return QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(document).absoluteFilePath()));
    };
    l.Start_Program = [](const QString &program, const QStringList &arguments, const QString &folder) {
        return QProcess::startDetached(program, arguments, folder);
    };
    return l;
}

void Set_Shell_Launcher(const Shell_Launcher &launcher)
{
    Current_Launcher() = launcher.Open_Document && launcher.Start_Program ? launcher : Default_Shell_Launcher();
}

int Shell_Run(const QString &command_line, int /*show_code*/, QString *error)
{
    // Windows placement codes have no meaning for the desktops here; every
    // program and document is simply shown.
    const Shell_Launcher &launcher = Current_Launcher();
    const Shell_Command c = Shell_Split(command_line);
    const QStringList arguments = Split_Arguments(c.Parameters);
    int result = Not_Found_Code;

    const QString program = Program_Path(c.Program);
    if (!program.isEmpty()) {
        result = launcher.Start_Program(program, arguments, c.Working_Folder) ? Success_Code : Failed_Code;
    } else if (c.Program.compare(QStringLiteral("notepad.exe"), Qt::CaseInsensitive) == 0 && arguments.size() == 1) {
        // The factory editor: the desktop's handler of text documents.
        result = launcher.Open_Document(arguments.first()) ? Success_Code : Failed_Code;
    } else if (QFileInfo(c.Program).isFile()) {
        result = launcher.Open_Document(c.Program) ? Success_Code : Failed_Code;
    }
    if (result >= 32)
        return result;

    // Fallback: the command line as a plain process. As with a command
    // line given to the system, an unquoted program path with blanks is
    // found by trying ever longer prefixes up to a blank.
    QString fallback;
    QStringList fallback_args;
    if (command_line.startsWith(u'"')) {
        const QStringList words = Split_Arguments(command_line);
        if (!words.isEmpty()) {
            fallback = Program_Path(words.first());
            fallback_args = words.mid(1);
        }
    } else {
        for (qsizetype end = 0; end >= 0 && fallback.isEmpty();) {
            end = c.Command_Line.indexOf(u' ', end + 1);
            const QString prefix = end < 0 ? c.Command_Line : c.Command_Line.left(end);
            fallback = Program_Path(prefix);
            if (!fallback.isEmpty())
                fallback_args = Split_Arguments(end < 0 ? QString() : c.Command_Line.mid(end + 1));
        }
    }
    const QString folder = QFileInfo(c.Working_Folder).isDir() ? c.Working_Folder : QDir::currentPath();
    const bool started = !fallback.isEmpty() && launcher.Start_Program(fallback, fallback_args, folder);
    if (!started && error)
        *error = QStringLiteral("\"%1\" could not be started: no such program or document").arg(c.Program);
    return result;
}

QString OS_Version_Name(int major, int minor, int platform_id)
{
    switch (major) {
    case 3:
        return platform_id == 2 ? QStringLiteral("Windows NT 3.x") : QStringLiteral("Windows 3.x");
    case 4:
        if (platform_id == 2)
            return QStringLiteral("Windows NT 4.0");
        return minor == 0 ? QStringLiteral("Windows 95") : QStringLiteral("Windows 98");
    case 5:
        return QStringLiteral("Windows 2000");
    default:
        return QStringLiteral("Unknown Windows Version");
    }
}

QString OS_Version_Name()
{
    return OS_Version_Name(0, 0, 0);
}

void Start_System_Info(const std::function<void(const QString &)> &show_message)
{
    for (const char *tool : {"hardinfo", "gnome-system-monitor", "plasma-systemmonitor", "xfce4-taskmanager"}) {
        const QString path = QStandardPaths::findExecutable(QString::fromLatin1(tool));
        if (path.isEmpty())
            continue;
        QString error;
        Shell_Run(u'"' + path + u'"', Show_Normal, &error);
        if (error.isEmpty())
            return;
        break;
    }
    if (show_message)
        show_message(System_Info_Unavailable);
}

bool Get_Key_Value(const QString &root_file, const QString &key, const QString &value_name, QString &value)
{
    value.clear();
    if (!QFileInfo(root_file).isFile())
        return false;
    QSettings store(root_file, QSettings::IniFormat);
    const QString name = key + u'/' + value_name;
    if (!store.contains(name))
        return false;
    value = store.value(name).toString();
    return true;
}

QString Number_Value_Text(quint32 value)
{
    QString text = QStringLiteral("&h");
    for (int byte = 3; byte >= 0; --byte)
        text += QString::number((value >> (8 * byte)) & 0xFF, 16);
    return text;
}
