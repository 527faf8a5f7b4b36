#pragma once

#include "release_file.h"

#include <QDialog>
#include <QString>

#include <functional>

class QLabel;

// The menu of the distribution medium: setup, how to update, the version
// history, the terms of use, the help page, and exit.

inline const QString Launcher_Version = QStringLiteral("1.00.0127");

class Frm_Distribution : public QDialog {
    Q_OBJECT
public:
    // run: starts a command line with a show code (Shell_Run by default);
    // message: shows a text with an OK button.
    Frm_Distribution(const QString &folder, std::function<QString(const QString &, int)> run,
                     std::function<void(const QString &)> message, QWidget *parent = nullptr);
    QLabel *Lab_Version = nullptr;

private:
    QString folder_;
};
