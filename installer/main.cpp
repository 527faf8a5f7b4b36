// setup: installs Quorvel from the distribution medium for the current user.
//   setup [--prefix DIR] [--yes]
//   setup --uninstall [--prefix DIR] [--yes]
// With a display and without --yes it shows its window; otherwise it works
// on the terminal, asking first unless --yes is given.
#include "frm_setup.h"
#include "setup_core.h"

#include <QApplication>
#include <QCoreApplication>
#include <QProcess>

#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {

const char *const Usage =
    "Usage:\n"
    "  setup [--prefix DIR] [--yes]              install or upgrade Quorvel for you\n"
    "  setup --uninstall [--prefix DIR] [--yes]  remove what setup installed\n"
    "Options:\n"
    "  --prefix DIR  the program folder (default ~/.local/opt/Quorvel)\n"
    "  --yes, -y     do not ask and show no window\n"
    "Exit status: 0 done, 1 failed or declined, 2 usage error.\n";

bool Ask(const char *question)
{
    std::printf("%s [y/N] ", question);
    std::fflush(stdout);
    char answer[16] = {};
    if (!std::fgets(answer, sizeof answer, stdin))
        return false;
    return answer[0] == 'y' || answer[0] == 'Y';
}

bool Start(const QString &program)
{
    return QProcess::startDetached(program, {});
}

} // namespace

int main(int argc, char **argv)
{
    QString prefix;
    bool yes = false, uninstall = false;
    for (int i = 1; i < argc; ++i) {
        const char *a = argv[i];
        if (std::strcmp(a, "--yes") == 0 || std::strcmp(a, "-y") == 0) {
            yes = true;
        } else if (std::strcmp(a, "--uninstall") == 0) {
            uninstall = true;
        } else if (std::strcmp(a, "--prefix") == 0) {
            if (i + 1 == argc || argv[i + 1][0] == '\0') {
                std::fprintf(stderr, "setup: --prefix needs a folder\n\n%s", Usage);
                return 2;
            }
            prefix = QString::fromLocal8Bit(argv[++i]);
        } else if (std::strcmp(a, "--help") == 0 || std::strcmp(a, "-h") == 0) {
            std::fputs(Usage, stdout);
            return 0;
        } else {
            std::fprintf(stderr, "setup: unknown argument %s\n\n%s", a, Usage);
            return 2;
        }
    }
    const bool display = !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
                         || !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
    if (!yes && display) {
        QApplication app(argc, argv);
        QApplication::setApplicationName(QStringLiteral("Quorvel Setup"));
        Frm_Setup window(QCoreApplication::applicationDirPath(), prefix, uninstall, Start);
        window.show();
        return app.exec() == 0 ? 0 : 1;
    }

    QCoreApplication app(argc, argv);
    const Setup_Paths paths = Default_Setup_Paths(QCoreApplication::applicationDirPath(), prefix);
    const bool terminal = ::isatty(0) && ::isatty(1);
    if (!yes) {
        if (!terminal) {
            std::fputs("setup: no display and no terminal to ask on: give --yes\n", stderr);
            return 2;
        }
        const char *const verb = uninstall                        ? "Remove Quorvel from "
                                 : Is_Setup_Install(paths.Prefix) ? "Upgrade the Quorvel in "
                                                                  : "Install Quorvel into ";
        const std::string question = verb + paths.Prefix.toStdString() + "?";
        if (!Ask(question.c_str()))
            return 1;
    }
    const Setup_Result r = uninstall ? Setup_Uninstall(paths) : Setup_Install(paths);
    for (const QString &line : r.Done)
        std::printf("%s\n", qPrintable(line));
    if (!r.Ok) {
        std::fprintf(stderr, "setup: %s\n", qPrintable(r.Error));
        return 1;
    }
    if (uninstall) {
        std::printf("Quorvel was uninstalled.\n");
        return 0;
    }
    const QString program = paths.Prefix + QStringLiteral("/Quorvel");
    std::printf("Quorvel was %s. Start it from the applications menu, %sor as %s\n",
                r.Upgrade ? "upgraded" : "installed", r.Command_On_Path ? "with the command quorvel, " : "",
                qPrintable(program));
    if (!yes && terminal && display && Ask("Start Quorvel now?") && !Start(program)) {
        std::fprintf(stderr, "setup: Quorvel could not be started\n");
        return 1;
    }
    return 0;
}
