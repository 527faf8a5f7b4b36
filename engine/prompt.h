#pragma once

#include <QString>

// The one way commands talk to the user: message boxes and file dialogs.
// The window implements it with real dialogs; tests and the command line
// implement it without blocking. Every message box carries the program's
// name as its title.
class Prompt {
public:
    enum class Answer { Yes, No, Cancel };

    virtual ~Prompt() = default;
    // A message with an OK button.
    virtual void Show_Message(const QString &text) = 0;
    // A question with Yes and No buttons.
    virtual Answer Ask_Yes_No(const QString &text) = 0;
    // A question with Yes, No and Cancel buttons.
    virtual Answer Ask_Yes_No_Cancel(const QString &text) = 0;
    // The open and save dialogs: start folder, pre-filled name, filter text
    // ("All Files (*.*)|*.*|Quorvel Files (*.qvl)|*.qvl|") and the filter
    // chosen at first (0-based). Empty result: cancelled. The save dialog
    // asks before replacing a file; the open dialog takes existing files only.
    virtual QString Choose_Open_File(const QString &folder, const QString &file_name,
                                     const QString &filters, int selected_filter) = 0;
    virtual QString Choose_Save_File(const QString &folder, const QString &file_name,
                                     const QString &filters, int selected_filter) = 0;
};
