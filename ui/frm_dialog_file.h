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
    // OK: the chosen folder (Path mode) or program (Editor mode). An
    // editor left as it came in is returned unchanged.
    QString Result() const;
    void Set_Folder(const QString &folder);
    void Set_Pattern(const QString &pattern);
    // OK, taken only when the result can be used: in Editor mode a changed
    // program must be an existing executable file.
    void accept() override;

    QComboBox *Drive1 = nullptr;
    QTreeView *Dir1 = nullptr;
    QListView *File1 = nullptr;
    QLineEdit *Pattern_Box = nullptr, *FileName_Text = nullptr;
    QLineEdit *TB_Folder = nullptr; // the folder the lists show, as a path
    QLabel *Lab_Type = nullptr;
    QLabel *Lab_Problem = nullptr;  // why OK was refused

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Show_Current_Folder();
    Mode mode_;
    QString editor_;   // the editor text the dialog opened with
    bool following_ = true; // keep the current folder in view while the list loads
    QFileSystemModel *dirs_ = nullptr;
    QFileSystemModel *files_ = nullptr;
};
