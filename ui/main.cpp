// The Quorvel program: the window, or a sizing from the command line.
#include "command_line.h"
#include "frm_main.h"
#include "program_state.h"
#include "report_pages.h"
#include "update_staging.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QCoreApplication>

#include <optional>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A session without a runtime folder (a login over ssh, a container, a
// service) makes Qt warn on every start. The program makes its own, private
// to the user, as the desktop would: /tmp/quorvel-runtime-<uid>, mode 0700,
// or a new one when that name is taken by someone else.
void Ensure_Runtime_Folder()
{
    const char *given = std::getenv("XDG_RUNTIME_DIR");
    if (given && *given)
        return;
    const char *tmpdir = std::getenv("TMPDIR");
    const std::string tmp = tmpdir && *tmpdir ? tmpdir : "/tmp";
    std::string dir = tmp + "/quorvel-runtime-" + std::to_string(::geteuid());
    ::mkdir(dir.c_str(), 0700);
    struct stat st {};
    if (::lstat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid() || (st.st_mode & 0777) != 0700) {
        std::string pattern = tmp + "/quorvel-runtime-XXXXXX";
        if (!::mkdtemp(pattern.data()))
            return; // Qt's own default and its notice, then
        dir = pattern;
    }
    ::setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
}

} // namespace

int main(int argc, char **argv)
{
    Ensure_Runtime_Folder();
    // Decided before any application object exists: a command line the
    // program does not know ends here with the usage and status 2, and
    // never opens a window a script would wait on.
    const QStringList args = Program_Arguments(argc, argv);
    const std::optional<QString> job = Window_Job(args);
    if (!job && Needs_Typesetting(args)) {
        // Typesetting needs fonts, hence a Gui application; it draws on no
        // screen, so it runs without a display.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QGuiApplication app(argc, argv);
        const Pdf_Writer writer = [](const Program_State &state, const Calc_Outcome &outcome,
                                     const QStringList &read_messages, const QString &path, QString *error) {
            Calculation_Record record = Record_Calculation(state, outcome);
            record.Read_Messages = read_messages;
            return Write_Engineering_Pdf(record, path, error);
        };
        return Run_Command_Line(args, QCoreApplication::applicationDirPath(), stdout, stderr, QString(), writer);
    }
    if (!job) {
        QCoreApplication app(argc, argv);
        return Run_Command_Line(args, QCoreApplication::applicationDirPath());
    }
    // The window takes no option: Qt is handed none of the arguments.
    int window_argc = 1;
    QApplication app(window_argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvel"));
    QGuiApplication::setDesktopFileName(QStringLiteral("quorvel"));
    Frm_Main::Start_Options options;
    options.Program_Folder = QCoreApplication::applicationDirPath();
    // An update cut short (a crash, a power cut) is rolled back before any table is read.
    if (Program_Folder_Writable(options.Program_Folder)) {
        for (const QString &problem : Recover_Update_Folder(options.Program_Folder).Problems)
            std::fprintf(stderr, "Quorvel: %s\n", qPrintable(problem));
    }
    options.Command_Line = *job;
    Frm_Main window(options);
    window.Startup_Sequence();
    if (window.Quit_Requested())
        return 0;
    // The window opens a little wider than it must be, so that long results
    // show whole, but never larger than the screen (less room for its frame).
    // A window the last run left keeps its size and place.
    if (const QScreen *screen = window.Geometry_Restored() ? nullptr : window.screen()) {
        const QSize frame(16, 40);
        QSize size = window.sizeHint().expandedTo(QSize(1100, 0)).boundedTo(screen->availableSize() - frame);
        window.resize(size.expandedTo(window.minimumSizeHint()));
    }
    window.show();
    return app.exec();
}
