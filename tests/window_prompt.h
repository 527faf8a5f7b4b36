#pragma once

// The prompt of the window tests: records every message, answers the
// questions and file dialogs from a script (No, Cancel and "" when it runs
// out), and lets a test look at the window while the save dialog is up.

#include "prompt.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class Scripted_Prompt : public Prompt {
public:
    QStringList Messages;
    QList<Answer> Answers;
    QStringList Paths;        // answers of the file dialogs; "" cancels
    QStringList Dialog_Names; // the file name each save dialog offered
    int Dialogs_Shown = 0;
    std::function<void()> On_Save_Dialog;

    void Show_Message(const QString &text) override { Messages << text; }
    Answer Ask_Yes_No(const QString &text) override
    {
        Messages << text;
        return Answers.isEmpty() ? Answer::No : Answers.takeFirst();
    }
    Answer Ask_Yes_No_Cancel(const QString &text) override
    {
        Messages << text;
        return Answers.isEmpty() ? Answer::Cancel : Answers.takeFirst();
    }
    QString Choose_Open_File(const QString &, const QString &, const QString &, int) override
    {
        ++Dialogs_Shown;
        return Paths.isEmpty() ? QString() : Paths.takeFirst();
    }
    QString Choose_Save_File(const QString &, const QString &name, const QString &, int) override
    {
        ++Dialogs_Shown;
        Dialog_Names << name;
        if (On_Save_Dialog)
            On_Save_Dialog();
        return Paths.isEmpty() ? QString() : Paths.takeFirst();
    }
};
