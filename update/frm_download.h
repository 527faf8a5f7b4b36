#pragma once

#include <QDialog>
#include <QTimer>

class QLabel;
class QMovie;
class QProgressBar;

// Progress of an update run: steps done of the total, a bar and an
// animation clip ("Quorvel.vmf", a GIF) from the program folder.
class Frm_Download : public QDialog {
    Q_OBJECT
public:
    Frm_Download(int total_steps, const QString &app_path, QWidget *parent = nullptr);
    void Advance();
    // The bar at its total: the run is over, whatever each step gave.
    void Finish();
    // "Quorvel: 412 of 956 kB" for the file being fetched.
    void Set_Bytes(const QString &name, qint64 received, qint64 total);
    int Value() const { return value_; }
    int Maximum() const { return maximum_; }

    QLabel *Animation1 = nullptr, *Label3 = nullptr, *Lab_Complete = nullptr, *Lab_Total = nullptr, *Lab_Bytes = nullptr;
    QProgressBar *ProgressBar1 = nullptr;
    QTimer Timer1;

signals:
    // Cancel: the run stops at its next safe point; the dialog only hides.
    void Cancel_Requested();

private:
    int value_ = 0;
    int maximum_ = 1;
    QMovie *movie_ = nullptr;
};
