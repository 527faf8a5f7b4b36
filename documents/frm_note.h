#pragma once

#include <QDialog>

class QLabel;
class QPlainTextEdit;

// The calculation note editor. Ok takes the text and marks the job
// modified, even when nothing was changed; Cancel changes nothing.
class Frm_Note : public QDialog {
    Q_OBJECT
public:
    Frm_Note(const QString &version, const QString &date_text, const QString &location, const QString &note,
             QWidget *parent = nullptr);

    // The note as the job keeps it, with CR LF line breaks; every other
    // character as typed (non-breaking spaces and tabs included).
    QString Note() const;
    QPlainTextEdit *TB_Note = nullptr;
    // Names the characters a job file cannot hold when Ok is refused.
    QLabel *Lab_Note_Warning = nullptr;

private:
    // Accepts unless the note holds characters a job file cannot keep.
    void Ok();
};
