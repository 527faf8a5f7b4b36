#pragma once

#include <QDialog>
#include <QString>

#include <functional>

class QLabel;

// The menu of the distribution medium: setup, how to update, the version
// history, the terms of use, the help page, and exit.

inline const QString Launcher_Version = QStringLiteral("1.00.0127");

// The newest release named in a "Version.txt": characters 4 to 14 of the
// last value (of the first 500) that begins with "v. ". Values end at a
// comma or a line end; surrounding quotes are removed and leading blanks
// skipped. "File Error" when the file cannot be read or names no release.
QString Newest_Release(const QString &version_file);

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
