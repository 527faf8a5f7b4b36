#pragma once

#include "prompt.h"

class QWidget;

// Message boxes and file dialogs of the window, titled "Quorvel".
class Widget_Prompt : public Prompt {
public:
    explicit Widget_Prompt(QWidget *parent) : parent_(parent) {}
    void Show_Message(const QString &text) override;
    Answer Ask_Yes_No(const QString &text) override;
    Answer Ask_Yes_No_Cancel(const QString &text) override;
    QString Choose_Open_File(const QString &folder, const QString &file_name, const QString &filters,
                             int selected_filter) override;
    QString Choose_Save_File(const QString &folder, const QString &file_name, const QString &filters,
                             int selected_filter) override;

    // "All Files (*.*)|*.*|Quorvel Files (*.qvl)|*.qvl|" as Qt dialog filters.
    static QStringList Dialog_Filters(const QString &filters);
    // Opens the file dialog large enough to show its name, size, type and
    // date columns whole: 900 x 560, within nine tenths of the screen.
    static void Fit_File_Dialog(class QFileDialog &dialog);

private:
    QString Choose_File(bool save, const QString &folder, const QString &file_name, const QString &filters,
                        int selected_filter);
    QWidget *parent_;
};
