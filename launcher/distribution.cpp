#include "distribution.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

Frm_Distribution::Frm_Distribution(const QString &folder, std::function<QString(const QString &, int)> run,
                                   std::function<void(const QString &)> message, QWidget *parent)
    : QDialog(parent), folder_(folder)
{
    Q_INIT_RESOURCE(launcher);
    setObjectName(QStringLiteral("Frm_Distribution"));
    setWindowTitle(QStringLiteral("Quorvel Distribution"));
    auto *title = new QLabel(QStringLiteral("Quorvel"));
    QFont f = title->font();
    f.setPointSize(24);
    f.setBold(true);
    title->setFont(f);
    auto *media = new QLabel(QStringLiteral("Distribution Media"));
    Lab_Version = new QLabel(Launcher_Version);
    Lab_Version->setObjectName(QStringLiteral("Lab_Version"));
    auto *picture = new QLabel;
    picture->setPixmap(QIcon(QStringLiteral(":/launcher/about.svg")).pixmap(QSize(96, 96)));

    auto *layout = new QGridLayout(this);
    layout->addWidget(picture, 0, 0, 3, 1);
    layout->addWidget(title, 0, 1, 1, 2);
    layout->addWidget(media, 1, 1, 1, 2);
    auto *version = new QHBoxLayout; // "v." and the release read side by side
    version->addWidget(new QLabel(QStringLiteral("v.")));
    version->addWidget(Lab_Version);
    version->addStretch(1);
    layout->addLayout(version, 2, 1, 1, 2);
    const QStringList names = {"Setup", "Update", "Version", "License", "Help", "Exit"};
    for (int i = 0; i < names.size(); ++i) {
        auto *b = new QPushButton(names[i]);
        b->setObjectName(QStringLiteral("Button_") + names[i]);
        layout->addWidget(b, 3 + i / 3, i % 3);
        connect(b, &QPushButton::clicked, this, [this, i, run, message] {
            const QString at = folder_ + u'/';
            switch (i) {
            case 0: {
                // Quoted, so that a medium mounted under a name with blanks starts
                // its own setup, in its own folder.
                const QString error = run(u'"' + at + QStringLiteral("setup") + u'"', 1);
                if (!error.isEmpty())
                    message(QStringLiteral("Setup could not be started: %1").arg(error));
                break;
            }
            case 1:
                message(QStringLiteral(
                    "To update an existing installed version of Quorvel, start Quorvel and update it through the "
                    "[CONFIGURE] menu option and then [CHECK FOR UPDATE].  To update from server, enter 'X:\\update' "
                    "in the server name box (where X: is letter for your CDrom drive)."));
                break;
            case 2:
            case 3: {
                const QString document = i == 2 ? QStringLiteral("Version.txt") : QStringLiteral("License.txt");
                // The path is quoted so that a medium mounted under a name with blanks works.
                const QString error = run(QStringLiteral("notepad.exe \"") + at + document + u'"', 1);
                if (!error.isEmpty())
                    message(QStringLiteral("%1 could not be opened: %2").arg(document, error));
                break;
            }
            case 4:
            {
                // The medium's help page, wherever the launcher was started from.
                const QString error = run(u'"' + at + QStringLiteral("QV-Help.htm") + u'"', 4);
                if (!error.isEmpty())
                    message(QStringLiteral("QV-Help.htm could not be opened: %1").arg(error));
                break;
            }
            default:
                accept();
            }
        });
    }
    Lab_Version->setText(Newest_Release(folder_ + QStringLiteral("/Version.txt")));
}
