#include "frm_dialog_file.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QStorageInfo>
#include <QTreeView>

namespace {

// The folder part of a text that may name a job file.
QString Working_Folder(const QString &text)
{
    if (text.endsWith(QStringLiteral(".qvl"), Qt::CaseInsensitive)) {
        const qsizetype slash = text.lastIndexOf(u'/');
        return slash >= 0 ? text.left(slash + 1) : QString();
    }
    return text;
}

} // namespace

Frm_Dialog_File1::Frm_Dialog_File1(Mode mode, const QString &filename, const QString &current_path,
                                   const QString &editor, QWidget *parent)
    : QDialog(parent), mode_(mode)
{
    setObjectName(QStringLiteral("Frm_Dialog_File1"));
    setWindowTitle(QStringLiteral("Files"));
    resize(640, 420);

    Lab_Type = new QLabel(mode == Mode::Path ? QStringLiteral("Path") : QStringLiteral("Editor"));
    Lab_Type->setObjectName(QStringLiteral("Lab_Type"));
    QPalette blue = Lab_Type->palette();
    blue.setColor(QPalette::WindowText, Qt::blue);
    Lab_Type->setPalette(blue);
    QFont f = Lab_Type->font();
    f.setBold(true);
    Lab_Type->setFont(f);

    Drive1 = new QComboBox;
    Drive1->setObjectName(QStringLiteral("Drive1"));
    for (const QStorageInfo &volume : QStorageInfo::mountedVolumes()) {
        if (volume.isValid() && volume.isReady())
            Drive1->addItem(volume.rootPath());
    }
    dirs_ = new QFileSystemModel(this);
    dirs_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    dirs_->setRootPath(QStringLiteral("/"));
    Dir1 = new QTreeView;
    Dir1->setObjectName(QStringLiteral("Dir1"));
    Dir1->setModel(dirs_);
    for (int c = 1; c < dirs_->columnCount(); ++c)
        Dir1->hideColumn(c);
    Dir1->header()->hide();
    files_ = new QFileSystemModel(this);
    files_->setFilter(QDir::Files);
    files_->setNameFilterDisables(false);
    File1 = new QListView;
    File1->setObjectName(QStringLiteral("File1"));
    File1->setModel(files_);
    Pattern_Box = new QLineEdit;
    Pattern_Box->setObjectName(QStringLiteral("Pattern_Box"));
    FileName_Text = new QLineEdit;
    FileName_Text->setObjectName(QStringLiteral("FileName_Text"));
    for (QWidget *w : std::initializer_list<QWidget *>{Drive1, Dir1, File1, Pattern_Box, FileName_Text}) {
        QPalette p = w->palette();
        p.setColor(QPalette::Base, palette().color(QPalette::Highlight).lighter(185));
        w->setPalette(p);
    }
    auto *ok = new QPushButton(QStringLiteral("OK"));
    ok->setObjectName(QStringLiteral("OKButton"));
    auto *cancel = new QPushButton(QStringLiteral("Cancel"));
    cancel->setObjectName(QStringLiteral("CancelButton"));

    auto *grid = new QGridLayout(this);
    grid->addWidget(Lab_Type, 0, 0, 1, 2);
    grid->addWidget(Drive1, 1, 0);
    grid->addWidget(Dir1, 2, 0, 3, 1);
    grid->addWidget(new QLabel(QStringLiteral("Pattern")), 1, 1);
    grid->addWidget(Pattern_Box, 1, 2);
    grid->addWidget(File1, 2, 1, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("File Name")), 3, 1);
    grid->addWidget(FileName_Text, 3, 2);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    grid->addLayout(buttons, 4, 1, 1, 2);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(2, 1);

    connect(Drive1, &QComboBox::textActivated, this, [this](const QString &root) {
        if (QFileInfo(root).isDir())
            Set_Folder(root);
        else
            Drive1->setCurrentText(QStorageInfo(Folder()).rootPath()); // no medium: back to the list's drive
    });
    connect(Dir1, &QTreeView::clicked, this, [this](const QModelIndex &index) { Set_Folder(dirs_->filePath(index)); });
    connect(Pattern_Box, &QLineEdit::textChanged, this, &Frm_Dialog_File1::Set_Pattern);
    const auto pick = [this](const QModelIndex &index) {
        const QString folder = Folder();
        FileName_Text->setText(folder + (folder.endsWith(u'/') ? QString() : QStringLiteral("/"))
                               + files_->fileName(index));
    };
    connect(File1, &QListView::clicked, this, pick);
    connect(File1, &QListView::doubleClicked, this, [this, pick](const QModelIndex &index) {
        pick(index);
        accept();
    });
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    // Start: Path mode lists job files at Current_Path (or the folder of
    // filename); Editor mode starts at the folder of the editor set now.
    FileName_Text->setText(filename);
    if (mode == Mode::Path) {
        Set_Pattern(QStringLiteral("*.qvl"));
        Pattern_Box->setText(QStringLiteral("*.qvl"));
        const QString start = QFileInfo(current_path).isDir() ? current_path : Working_Folder(filename);
        Set_Folder(QFileInfo(start).isDir() ? start : QDir::homePath());
    } else {
        Pattern_Box->setText(QStringLiteral("*"));
        FileName_Text->setText(editor);
        const QFileInfo program(editor);
        Set_Folder(program.isAbsolute() && program.absoluteDir().exists() ? program.absolutePath()
                                                                             : QStringLiteral("/usr/bin"));
    }
}

QString Frm_Dialog_File1::Folder() const
{
    return files_->rootPath();
}

void Frm_Dialog_File1::Set_Folder(const QString &folder)
{
    File1->setRootIndex(files_->setRootPath(folder));
    Dir1->setCurrentIndex(dirs_->index(folder));
    Dir1->scrollTo(dirs_->index(folder));
    const QString root = QStorageInfo(folder).rootPath();
    const int drive = Drive1->findText(root);
    if (drive >= 0)
        Drive1->setCurrentIndex(drive);
}

void Frm_Dialog_File1::Set_Pattern(const QString &pattern)
{
    files_->setNameFilters(pattern.split(u';', Qt::SkipEmptyParts));
}

QString Frm_Dialog_File1::Result() const
{
    if (mode_ == Mode::Path)
        return Folder();
    // A bare name is taken in the listed folder. Programs here have no
    // ".exe"; none is added.
    QString text = FileName_Text->text().trimmed();
    if (!text.isEmpty() && !text.startsWith(u'/')) {
        const QString folder = Folder();
        text = folder + (folder.endsWith(u'/') ? QString() : QStringLiteral("/")) + text;
    }
    return text;
}
