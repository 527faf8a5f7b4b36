#include "frm_setup.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

Frm_Setup::Frm_Setup(const QString &setup_folder, const QString &prefix, bool uninstall,
                     std::function<bool(const QString &)> start, QWidget *parent)
    : QDialog(parent), setup_folder_(setup_folder), start_(std::move(start))
{
    Q_INIT_RESOURCE(setup);
    setObjectName(QStringLiteral("Frm_Setup"));
    setWindowTitle(QStringLiteral("Quorvel Setup"));
    setWindowIcon(QIcon(QStringLiteral(":/setup/quorvel.svg")));

    auto *picture = new QLabel;
    picture->setPixmap(QIcon(QStringLiteral(":/setup/quorvel.svg")).pixmap(QSize(64, 64)));
    auto *title = new QLabel(QStringLiteral("Quorvel %1").arg(QStringLiteral(QUORVEL_VERSION)));
    QFont f = title->font();
    f.setPointSize(f.pointSize() + 6);
    f.setBold(true);
    title->setFont(f);
    auto *about = new QLabel(QStringLiteral(
        "Setup installs Quorvel for you alone, without administrator rights: the program folder, "
        "a menu entry with its icon, Quorvel as the program that opens .qvl job files, and the "
        "command quorvel in ~/.local/bin."));
    about->setWordWrap(true);

    Txt_Prefix = new QLineEdit(prefix.isEmpty() ? Default_Setup_Prefix() : prefix);
    Txt_Prefix->setObjectName(QStringLiteral("Txt_Prefix"));
    Button_Browse = new QPushButton(QStringLiteral("Browse..."));
    Button_Browse->setObjectName(QStringLiteral("Button_Browse"));
    Lab_Status = new QLabel;
    Lab_Status->setObjectName(QStringLiteral("Lab_Status"));
    Lab_Status->setWordWrap(true);
    Txt_Log = new QPlainTextEdit;
    Txt_Log->setObjectName(QStringLiteral("Txt_Log"));
    Txt_Log->setReadOnly(true);
    Txt_Log->setPlaceholderText(QStringLiteral("What setup did will be listed here."));
    Txt_Log->setMinimumHeight(110);

    Button_Install = new QPushButton(QStringLiteral("Install"));
    Button_Install->setObjectName(QStringLiteral("Button_Install"));
    Button_Install->setDefault(true);
    Button_Uninstall = new QPushButton(QStringLiteral("Uninstall"));
    Button_Uninstall->setObjectName(QStringLiteral("Button_Uninstall"));
    Button_Start = new QPushButton(QStringLiteral("Start Quorvel"));
    Button_Start->setObjectName(QStringLiteral("Button_Start"));
    Button_Start->setVisible(false);
    Button_Close = new QPushButton(QStringLiteral("Cancel"));
    Button_Close->setObjectName(QStringLiteral("Button_Close"));

    auto *head = new QGridLayout;
    head->addWidget(picture, 0, 0, 2, 1, Qt::AlignTop);
    head->addWidget(title, 0, 1);
    head->addWidget(about, 1, 1);
    head->setColumnStretch(1, 1);
    auto *where = new QHBoxLayout;
    where->addWidget(new QLabel(QStringLiteral("Install into:")));
    where->addWidget(Txt_Prefix, 1);
    where->addWidget(Button_Browse);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(Button_Uninstall);
    buttons->addStretch(1);
    buttons->addWidget(Button_Start);
    buttons->addWidget(Button_Install);
    buttons->addWidget(Button_Close);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(head);
    layout->addSpacing(6);
    layout->addLayout(where);
    layout->addWidget(Lab_Status);
    layout->addWidget(Txt_Log, 1);
    layout->addLayout(buttons);
    resize(560, 360);

    connect(Txt_Prefix, &QLineEdit::textChanged, this, [this] { Refresh(); });
    connect(Button_Browse, &QPushButton::clicked, this, [this] {
        const QString folder = QFileDialog::getExistingDirectory(this, QStringLiteral("Install Quorvel into"),
                                                                 QFileInfo(Txt_Prefix->text()).path());
        if (!folder.isEmpty())
            Txt_Prefix->setText(folder + QStringLiteral("/Quorvel"));
    });
    connect(Button_Install, &QPushButton::clicked, this, [this] { Run(false); });
    connect(Button_Uninstall, &QPushButton::clicked, this, [this] { Run(true); });
    connect(Button_Start, &QPushButton::clicked, this, [this] {
        const QString program = Paths().Prefix + QStringLiteral("/Quorvel");
        if (start_(program))
            accept();
        else
            Lab_Status->setText(QStringLiteral("Quorvel could not be started from %1.").arg(program));
    });
    connect(Button_Close, &QPushButton::clicked, this, &QDialog::reject);
    Refresh();
    if (uninstall)
        Lab_Status->setText(Lab_Status->text() + QStringLiteral(" Press Uninstall to remove it."));
}

Setup_Paths Frm_Setup::Paths() const
{
    return Default_Setup_Paths(setup_folder_, Txt_Prefix->text().trimmed());
}

void Frm_Setup::Refresh()
{
    const Setup_Paths p = Paths();
    const bool installed = Is_Setup_Install(p.Prefix);
    Button_Uninstall->setEnabled(installed);
    Button_Install->setText(installed ? QStringLiteral("Upgrade") : QStringLiteral("Install"));
    if (!QFileInfo(p.Source + QStringLiteral("/Quorvel")).isFile())
        Lab_Status->setText(QStringLiteral("The program to install is missing: %1 was not found.").arg(p.Source));
    else if (installed)
        Lab_Status->setText(QStringLiteral("Quorvel is installed there already: it will be upgraded in place, "
                                           "keeping your settings and job files."));
    else
        Lab_Status->setText(QStringLiteral("Press Install to install Quorvel there."));
}

void Frm_Setup::Run(bool uninstall)
{
    const Setup_Paths p = Paths();
    const Setup_Result r = uninstall ? Setup_Uninstall(p) : Setup_Install(p);
    Txt_Log->setPlainText(r.Done.join(u'\n'));
    if (!r.Ok) {
        Lab_Status->setText(QStringLiteral("Setup failed: ") + r.Error);
        return;
    }
    Txt_Prefix->setEnabled(false);
    Button_Browse->setEnabled(false);
    Button_Install->setVisible(false);
    Button_Uninstall->setVisible(false);
    Button_Close->setText(QStringLiteral("Close"));
    if (uninstall) {
        Lab_Status->setText(QStringLiteral("Quorvel was uninstalled."));
    } else {
        Lab_Status->setText(r.Upgrade ? QStringLiteral("Quorvel was upgraded. Start it now?")
                                      : QStringLiteral("Quorvel was installed. Start it now?"));
        Button_Start->setVisible(true);
        Button_Start->setDefault(true);
        Button_Start->setFocus();
    }
}
