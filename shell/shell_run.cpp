#include "shell_run.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMimeDatabase>
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
        return Is_Program_File(program) ? program : QString();
    return QStandardPaths::findExecutable(program); // what PATH holds is there to be run
}

// Why the desktop's opener (xdg-open) gave up, by its exit status.
QString Opener_Reason(int status, const QByteArray &said)
{
    switch (status) {
    case 2:
        return QStringLiteral("the document does not exist");
    case 3:
        return QStringLiteral("no program is set to open this kind of document");
    case 4:
        return QStringLiteral("the program that opens this kind of document failed");
    default:
        break;
    }
    const QString text = QString::fromLocal8Bit(said.left(300)).trimmed();
    return text.isEmpty() ? QStringLiteral("the desktop's opener ended with status %1").arg(status) : text;
}

// The plain process start of a command line (the fallback): an unquoted
// program path with blanks is found by trying ever longer prefixes up to a
// blank, as a command line given to the system would be.
bool Start_Plain(const QString &command_line, const Shell_Command &c, const Shell_Launcher &launcher)
{
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
    return !fallback.isEmpty() && launcher.Start_Program(fallback, fallback_args, folder);
}

} // namespace

bool Is_Program_File(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isFile() || !info.isExecutable())
        return false;
    static const QStringList documents = {
        QStringLiteral("htm"), QStringLiteral("html"), QStringLiteral("txt"), QStringLiteral("dat"),
        QStringLiteral("mtr"), QStringLiteral("prn"), QStringLiteral("qvl"), QStringLiteral("pdf"),
        QStringLiteral("wav"), QStringLiteral("bak"), QStringLiteral("ini"), QStringLiteral("csv")};
    if (documents.contains(info.suffix(), Qt::CaseInsensitive))
        return false;
    static const QMimeDatabase types;
    const QMimeType type = types.mimeTypeForFile(info);
    for (const char *program : {"application/x-executable", "application/x-sharedlib", "application/x-pie-executable",
                                "application/x-shellscript"})
        if (type.inherits(QLatin1String(program)))
            return true;
    return false;
}

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
    l.Open_Document = [](const QString &document, const Shell_Failure &failed) {
        const QString path = QFileInfo(document).absoluteFilePath();
        const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
        if (opener.isEmpty())
            return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
        // The opener reports a missing or failing handler only by its exit
        // status, and may run as long as the handler does: it is watched
        // from the event loop, never waited for.
        auto *process = new QProcess;
        process->setProgram(opener);
        process->setArguments({path});
        process->setWorkingDirectory(QFileInfo(path).absolutePath());
        process->setStandardInputFile(QProcess::nullDevice());
        process->setStandardOutputFile(QProcess::nullDevice());
        QObject::connect(process, &QProcess::finished, process,
                         [process, failed](int status, QProcess::ExitStatus how) {
                             if ((how != QProcess::NormalExit || status != 0) && failed)
                                 failed(how == QProcess::NormalExit ? Opener_Reason(status, process->readAllStandardError())
                                                                    : QStringLiteral("the desktop's opener crashed"));
                             process->deleteLater();
                         });
        QObject::connect(process, &QProcess::errorOccurred, process, [process, failed](QProcess::ProcessError e) {
            if (e != QProcess::FailedToStart)
                return;
            if (failed)
                failed(process->errorString());
            process->deleteLater();
        });
        process->start();
        return true;
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

int Shell_Run(const QString &command_line, int /*show_code*/, QString *error, const Shell_Failure &failed_later)
{
    // Windows placement codes have no meaning for the desktops here; every
    // program and document is simply shown.
    const Shell_Launcher &launcher = Current_Launcher();
    const Shell_Command c = Shell_Split(command_line);
    const QStringList arguments = Split_Arguments(c.Parameters);
    int result = Not_Found_Code;

    // A document whose opening fails later takes the fallback then.
    const auto later = [command_line, c, launcher, failed_later](const QString &reason) {
        if (Start_Plain(command_line, c, launcher))
            return;
        if (failed_later)
            failed_later(reason);
    };
    const QString program = Program_Path(c.Program);
    if (!program.isEmpty()) {
        result = launcher.Start_Program(program, arguments, c.Working_Folder) ? Success_Code : Failed_Code;
    } else if (c.Program.compare(QStringLiteral("notepad.exe"), Qt::CaseInsensitive) == 0 && arguments.size() == 1) {
        // The factory editor: the desktop's handler of text documents.
        result = launcher.Open_Document(arguments.first(), later) ? Success_Code : Failed_Code;
    } else if (QFileInfo(c.Program).isFile()) {
        result = launcher.Open_Document(c.Program, later) ? Success_Code : Failed_Code;
    }
    if (result >= 32)
        return result;

    // Fallback: the command line as a plain process.
    if (!Start_Plain(command_line, c, launcher) && error)
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
