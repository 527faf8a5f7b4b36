#pragma once

#include <QDialog>

class QComboBox;
class QFileSystemModel;
class QLabel;
class QLineEdit;
class QListView;
class QTreeView;

// The program's own picker of a folder (Path mode) or a program (Editor
// mode) for the options: a list of drives (mounted volumes), a folder
// tree, a file list with a pattern, and a file name box.
class Frm_Dialog_File1 : public QDialog {
    Q_OBJECT
public:
    enum class Mode { Path = 5, Editor = 6 };

    // filename and current_path: the main window's fields; editor: the
    // options dialog's editor text (Editor mode starts there).
    Frm_Dialog_File1(Mode mode, const QString &filename, const QString &current_path, const QString &editor,
                     QWidget *parent = nullptr);

    // The folder the file list shows.
    QString Folder() const;
    // OK: the chosen folder (Path mode) or program (Editor mode).
    QString Result() const;
    void Set_Folder(const QString &folder);
    void Set_Pattern(const QString &pattern);

    QComboBox *Drive1 = nullptr;
    QTreeView *Dir1 = nullptr;
    QListView *File1 = nullptr;
    QLineEdit *Pattern_Box = nullptr, *FileName_Text = nullptr;
    QLabel *Lab_Type = nullptr;

private:
    Mode mode_;
    QFileSystemModel *dirs_ = nullptr;
    QFileSystemModel *files_ = nullptr;
};
