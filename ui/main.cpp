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
    Frm_Main::Start_Options options;
    options.Program_Folder = QCoreApplication::applicationDirPath();
    const QStringList args = QCoreApplication::arguments().mid(1);
    options.Command_Line = args.join(u' ');
    Frm_Main window(options);
    window.Startup_Sequence();
    if (window.Quit_Requested())
        return 0;
    // The window opens a little wider than it must be, so that long results
    // show whole, but never larger than the screen (less room for its frame).
    if (const QScreen *screen = window.screen()) {
        const QSize frame(16, 40);
        QSize size = window.sizeHint().expandedTo(QSize(1100, 0)).boundedTo(screen->availableSize() - frame);
        window.resize(size.expandedTo(window.minimumSizeHint()));
    }
    window.show();
    return app.exec();
}
