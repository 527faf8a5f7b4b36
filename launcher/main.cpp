// Quorvel Distribution: the menu program of the distribution medium.
#include "distribution.h"
#include "shell_run.h"

#include <QApplication>
#include <QMessageBox>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const auto run = [](const QString &command_line, int show_code) {
        QString error;
        Shell_Run(command_line, show_code, &error);
        return error;
    };
    Frm_Distribution window(QCoreApplication::applicationDirPath(), run, [](const QString &text) {
        QMessageBox::information(nullptr, QStringLiteral("Quorvel Distribution"), text);
    });
    window.show();
    return app.exec();
}
