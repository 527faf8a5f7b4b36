// The Quorvel program: the window, or a sizing from the command line.
#include "command_line.h"
#include "frm_main.h"

#include <QApplication>
#include <QScreen>
#include <QCoreApplication>

int main(int argc, char **argv)
{
    if (Is_Command_Line_Run(argc, argv)) {
        QCoreApplication app(argc, argv);
        return Run_Command_Line(QCoreApplication::arguments().mid(1), QCoreApplication::applicationDirPath());
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvel"));
    QGuiApplication::setDesktopFileName(QStringLiteral("quorvel"));
    Frm_Main::Start_Options options;
    options.Program_Folder = QCoreApplication::applicationDirPath();
    const QStringList args = QCoreApplication::arguments().mid(1);
    options.Command_Line = args.join(u' ');
    Frm_Main window(options);
    window.Startup_Sequence();
    if (window.Quit_Requested())
        return 0;
    // The window opens at its natural size, or the screen's size when that is smaller.
    if (const QScreen *screen = window.screen())
        window.resize(window.sizeHint().boundedTo(screen->availableSize()));
    window.show();
    return app.exec();
}
