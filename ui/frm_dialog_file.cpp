#include "frm_dialog_file.h"

#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStandardPaths>
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

QString In_Folder(const QString &folder, const QString &name)
{
    return folder + (folder.endsWith(u'/') ? QString() : QStringLiteral("/")) + name;
}

} // namespace

Frm_Dialog_File1::Frm_Dialog_File1(Mode mode, const QString &filename, const QString &current_path,
                                   const QString &editor, QWidget *parent)
    : QDialog(parent), mode_(mode)
{
    setObjectName(QStringLiteral("Frm_Dialog_File1"));
    setWindowTitle(QStringLiteral("Files"));
    // Room for long folder names, within nine tenths of a small screen.
    const QScreen *shown_on = parent ? parent->screen() : screen();
    resize(shown_on ? QSize(760, 480).boundedTo(shown_on->availableGeometry().size() * 9 / 10) : QSize(760, 480));

    Lab_Type = new QLabel(mode == Mode::Path ? QStringLiteral("Path") : QStringLiteral("Editor"));
    Lab_Type->setObjectName(QStringLiteral("Lab_Type"));
    const bool dark = palette().color(QPalette::Window).lightness() < 128; // colours that read on it
    QPalette blue = Lab_Type->palette();
    blue.setColor(QPalette::WindowText, dark ? QColor(120, 170, 255) : QColor(Qt::blue));
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
    TB_Folder = new QLineEdit;
    TB_Folder->setObjectName(QStringLiteral("TB_Folder"));
    TB_Folder->setReadOnly(true);
    Lab_Problem = new QLabel;
    Lab_Problem->setObjectName(QStringLiteral("Lab_Problem"));
    Lab_Problem->setWordWrap(true);
    QPalette red = Lab_Problem->palette();
    red.setColor(QPalette::WindowText, dark ? QColor(255, 128, 128) : QColor(Qt::darkRed));
    Lab_Problem->setPalette(red);
    Lab_Problem->hide();
    for (QWidget *w : std::initializer_list<QWidget *>{Drive1, Dir1, File1, Pattern_Box, FileName_Text}) {
        QPalette p = w->palette();
        p.setColor(QPalette::Base, palette().color(QPalette::Highlight).lighter(185));
        p.setColor(QPalette::Text, Qt::black); // the light shade's pair
        w->setPalette(p);
    }
    auto *ok = new QPushButton(QStringLiteral("OK"));
    ok->setObjectName(QStringLiteral("OKButton"));
    auto *cancel = new QPushButton(QStringLiteral("Cancel"));
    cancel->setObjectName(QStringLiteral("CancelButton"));

    ok->setDefault(true);
    auto *pattern_label = new QLabel(QStringLiteral("Pattern"));
    pattern_label->setBuddy(Pattern_Box);
    auto *name_label = new QLabel(QStringLiteral("File Name"));
    name_label->setBuddy(FileName_Text);
    auto *folder_label = new QLabel(QStringLiteral("Folder"));
    folder_label->setBuddy(TB_Folder);
    Drive1->setAccessibleName(QStringLiteral("Drive"));
    Dir1->setAccessibleName(QStringLiteral("Folders"));
    File1->setAccessibleName(QStringLiteral("Files"));
    Pattern_Box->setAccessibleName(QStringLiteral("Pattern"));
    FileName_Text->setAccessibleName(QStringLiteral("File Name"));
    TB_Folder->setAccessibleName(QStringLiteral("Folder"));

    auto *grid = new QGridLayout(this);
    grid->addWidget(Lab_Type, 0, 0, 1, 3);
    grid->addWidget(folder_label, 1, 0, 1, 1, Qt::AlignRight);
    grid->addWidget(TB_Folder, 1, 1, 1, 2);
    grid->addWidget(Drive1, 2, 0);
    grid->addWidget(Dir1, 3, 0, 3, 1);
    grid->addWidget(pattern_label, 2, 1);
    grid->addWidget(Pattern_Box, 2, 2);
    grid->addWidget(File1, 3, 1, 1, 2);
    grid->addWidget(name_label, 4, 1);
    grid->addWidget(FileName_Text, 4, 2);
    grid->addWidget(Lab_Problem, 5, 1, 1, 2);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    grid->addLayout(buttons, 6, 0, 1, 3);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(3, 1);
    setTabOrder(TB_Folder, Drive1);
    setTabOrder(Drive1, Dir1);
    setTabOrder(Dir1, Pattern_Box);
    setTabOrder(Pattern_Box, File1);
    setTabOrder(File1, FileName_Text);
    setTabOrder(FileName_Text, ok);
    setTabOrder(ok, cancel);

    connect(Drive1, &QComboBox::textActivated, this, [this](const QString &root) {
        if (QFileInfo(root).isDir())
            Set_Folder(root);
        else
            Drive1->setCurrentText(QStorageInfo(Folder()).rootPath()); // no medium: back to the list's drive
    });
    // The file list follows the folder list's current entry, whether it
    // was clicked or reached with the keyboard.
    connect(Dir1->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex &index) {
        if (index.isValid() && dirs_->filePath(index) != Folder())
            Set_Folder(dirs_->filePath(index));
    });
    // The folders load and sort in the background, moving the rows: until
    // the user takes the folder list in hand, keep the current folder in view.
    const auto follow = [this] {
        if (following_)
            Show_Current_Folder();
    };
    connect(dirs_, &QFileSystemModel::directoryLoaded, this, follow);
    connect(dirs_, &QAbstractItemModel::rowsInserted, this, follow, Qt::QueuedConnection);
    connect(dirs_, &QAbstractItemModel::layoutChanged, this, follow, Qt::QueuedConnection);
    Dir1->viewport()->installEventFilter(this);
    Dir1->verticalScrollBar()->installEventFilter(this);
    connect(Pattern_Box, &QLineEdit::textChanged, this, &Frm_Dialog_File1::Set_Pattern);
    const auto pick = [this](const QModelIndex &index) {
        FileName_Text->setText(In_Folder(Folder(), files_->fileName(index)));
    };
    connect(File1, &QListView::clicked, this, pick);
    connect(FileName_Text, &QLineEdit::textEdited, Lab_Problem, &QLabel::hide);
    connect(File1, &QListView::doubleClicked, this, [this, pick](const QModelIndex &index) {
        pick(index);
        accept();
    });
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    // Start: Path mode lists job files at Current_Path, or at the folder of
    // the job file it names, or at the folder of filename; Editor mode
    // starts at the folder of the editor set now.
    FileName_Text->setText(filename);
    if (mode == Mode::Path) {
        Set_Pattern(QStringLiteral("*.qvl"));
        Pattern_Box->setText(QStringLiteral("*.qvl"));
        const QFileInfo current(current_path);
        QString start = current.isDir() ? current_path : current.isFile() ? current.absolutePath() : QString();
        if (start.isEmpty())
            start = Working_Folder(filename);
        Set_Folder(QFileInfo(start).isDir() ? QFileInfo(start).absoluteFilePath() : QDir::homePath());
    } else {
        Pattern_Box->setText(QStringLiteral("*"));
        editor_ = editor;
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
    TB_Folder->setText(QDir::toNativeSeparators(Folder()));
    TB_Folder->setCursorPosition(TB_Folder->text().size()); // a long path shows its end
    TB_Folder->setToolTip(TB_Folder->text());
    const QModelIndex index = dirs_->index(folder);
    for (QModelIndex up = index.parent(); up.isValid(); up = up.parent())
        Dir1->expand(up);
    if (Dir1->currentIndex() != index)
        Dir1->setCurrentIndex(index);
    Dir1->scrollTo(index); // only as far as needed: a clicked folder stays under the pointer
    const QString root = QStorageInfo(folder).rootPath();
    const int drive = Drive1->findText(root);
    if (drive >= 0)
        Drive1->setCurrentIndex(drive);
}

// The current folder in the middle of the folder list, as it opens.
void Frm_Dialog_File1::Show_Current_Folder()
{
    const QModelIndex index = Dir1->currentIndex();
    if (index.isValid())
        Dir1->scrollTo(index, QAbstractItemView::PositionAtCenter);
}

bool Frm_Dialog_File1::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::Wheel:
        following_ = false;
        break;
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

void Frm_Dialog_File1::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    Show_Current_Folder();
}

void Frm_Dialog_File1::accept()
{
    if (mode_ == Mode::Editor && FileName_Text->text() != editor_) {
        const QString program = Result();
        const QFileInfo info(program);
        if (program.isEmpty() || !info.isFile() || !info.isExecutable()) {
            Lab_Problem->setText(QStringLiteral("\"%1\" is not a program that can be started. Pick the editor's "
                                                "program file or type its name.")
                                     .arg(QDir::toNativeSeparators(program.isEmpty() ? FileName_Text->text() : program)));
            Lab_Problem->show();
            FileName_Text->setFocus();
            return;
        }
    }
    QDialog::accept();
}

void Frm_Dialog_File1::Set_Pattern(const QString &pattern)
{
    files_->setNameFilters(pattern.split(u';', Qt::SkipEmptyParts));
}

QString Frm_Dialog_File1::Result() const
{
    if (mode_ == Mode::Path)
        return Folder();
    // The editor the dialog opened with stays as it is, even a bare name
    // that the shell finds on its own.
    if (FileName_Text->text() == editor_)
        return editor_;
    // A bare name is taken in the listed folder, or else on the search
    // path. Programs here have no ".exe"; none is added.
    QString text = FileName_Text->text().trimmed();
    if (!text.isEmpty() && !text.startsWith(u'/')) {
        const QString here = In_Folder(Folder(), text);
        if (QFileInfo(here).isFile() || text.contains(u'/'))
            return here;
        const QString found = QStandardPaths::findExecutable(text);
        return found.isEmpty() ? here : found;
    }
    return text;
}
