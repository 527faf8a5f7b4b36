#pragma once

#include "setup_core.h"

#include <QDialog>

#include <functional>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// The installer's window, for a start without a terminal (the medium's
// launcher): where to install, Install or Uninstall, then what was done and
// an offer to start Quorvel.
class Frm_Setup : public QDialog {
    Q_OBJECT
public:
    // setup_folder: the folder setup runs from (the medium); start: starts
    // the installed program, false when it could not be started.
    Frm_Setup(const QString &setup_folder, const QString &prefix, bool uninstall,
              std::function<bool(const QString &program)> start, QWidget *parent = nullptr);

    QLineEdit *Txt_Prefix = nullptr;
    QPushButton *Button_Browse = nullptr;
    QPushButton *Button_Install = nullptr;
    QPushButton *Button_Uninstall = nullptr;
    QPushButton *Button_Start = nullptr;
    QPushButton *Button_Close = nullptr;
    QLabel *Lab_Status = nullptr;
    QPlainTextEdit *Txt_Log = nullptr;

private:
    void Refresh();
    void Run(bool uninstall);
    Setup_Paths Paths() const;

    QString setup_folder_;
    std::function<bool(const QString &)> start_;
};
