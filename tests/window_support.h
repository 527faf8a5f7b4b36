#pragma once

// What the window tests share: a scripted prompt, the main window started
// as the program starts it, and waiting for a window's layouts to settle.

#include "frm_main.h"
#include "prompt.h"
#include "test_support.h"

#include <QCoreApplication>
#include <QList>
#include <QPushButton>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <memory>
#include <optional>

// The prompt of the window tests: records every message, answers the
// questions and file dialogs from a script (No, Cancel and "" when it runs
// out), and lets a test look at the window while the save dialog is up.

class Scripted_Prompt : public Prompt {
public:
    QStringList Messages;
    QList<Answer> Answers;
    QStringList Paths;        // answers of the file dialogs; "" cancels
    QStringList Dialog_Names; // the file name each save dialog offered
    QStringList Dialog_Folders; // and the folder it started in
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
    QString Choose_Save_File(const QString &folder, const QString &name, const QString &, int) override
    {
        ++Dialogs_Shown;
        Dialog_Names << name;
        Dialog_Folders << folder;
        if (On_Save_Dialog)
            On_Save_Dialog();
        return Paths.isEmpty() ? QString() : Paths.takeFirst();
    }
};

// Shows the window on the (offscreen) screen and delivers every event
// posted so far, layout requests and the resizes they post included: what
// the window does after this, it does on its own. False when it never
// became exposed.
inline bool Settle(QWidget *window)
{
    window->show();
    if (!QTest::qWaitForWindowExposed(window))
        return false;
    for (int round = 0; round < 3; ++round) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
    return true;
}

// A started main window with the scripted prompt, over a program folder of
// its own (a copy of the shipped data unless one is given), its settings in
// a temporary folder that XDG_CONFIG_HOME also points at while it lives.
// Programs it would start are recorded in `launched`; the print dialog is
// `print_dialog` (none: cancelled).
struct Main_Window {
    QTemporaryDir dir;
    Scoped_Env config{"XDG_CONFIG_HOME", dir.filePath(QStringLiteral("config"))};
    std::optional<Program_Copy> copy;
    Scripted_Prompt prompt;
    QStringList launched;
    std::function<bool(QPrinter &)> print_dialog;
    std::unique_ptr<Frm_Main> main;

    explicit Main_Window(const QString &command_line = QString(), bool splash = false,
                         const QString &program_folder = QString())
    {
        Frm_Main::Start_Options o;
        if (program_folder.isEmpty())
            copy.emplace();
        o.Program_Folder = program_folder.isEmpty() ? copy->Path() : program_folder;
        if (o.Program_Folder.isEmpty())
            qFatal("the shipped data could not be copied into a program folder");
        o.Command_Line = command_line;
        o.Show_Splash = splash;
        o.Register_File_Type = false;
        o.Settings_File = dir.filePath(QStringLiteral("Quorvel.ini"));
        o.Prompt_Override = &prompt;
        o.Launcher = [this](const QString &command, int show) {
            launched << QStringLiteral("%1|%2").arg(command).arg(show);
            return QString();
        };
        o.Print_Dialog = [this](QPrinter &printer) { return print_dialog ? print_dialog(printer) : false; };
        main = std::make_unique<Frm_Main>(o);
        main->Startup_Sequence();
        main->show();
    }

    template <typename T> T *Find(const QString &name) const
    {
        T *w = main->findChild<T *>(name);
        if (!w)
            qFatal("control %s not found", qPrintable(name));
        return w;
    }
    void Calculate() const { QTest::mouseClick(Find<QPushButton>(QStringLiteral("Button_Calc")), Qt::LeftButton); }
};
