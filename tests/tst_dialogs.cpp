// The dialogs of the program as the main window opens them: the About box,
// the note editor, the pressure details and their diagram, the pipe sizes,
// the options and the file selection.
#include "frm_about.h"
#include "frm_diagram.h"
#include "fault_folder.h"
#include "frm_dialog_file.h"
#include "frm_meter_lists.h"
#include "frm_note.h"
#include "frm_options.h"
#include "frm_pressure.h"
#include "reference_dialogs.h"
#include "settings_store.h"
#include "text_codec.h"
#include "window_support.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QTableWidget>
#include <QToolBar>
#include <QtTest>

class Test_Dialogs : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (!QFile::exists(Program_Folder() + QStringLiteral("/Table-1.dat")))
            QFAIL("shipped data files are not beside the test");
    }


    void Diameter_Click_Fills_Its_Target_data()
    {
        QTest::addColumn<int>("spot");
        QTest::addColumn<QString>("expected");
        QTest::newRow("service diameter") << 21 << "10.40";
        QTest::newRow("second service") << 25 << "10.40";
        QTest::newRow("no target code") << 7 << "old";
    }
    void Diameter_Click_Fills_Its_Target()
    {
        QFETCH(int, spot);
        QFETCH(QString, expected);
        QLineEdit service, plumbing, second;
        service.setText(QStringLiteral("old"));
        plumbing.setText(QStringLiteral("old"));
        second.setText(QStringLiteral("old"));
        int spot1 = spot;
        Frm_Size dialog(spot1, {{21, &service}, {22, &plumbing}, {25, &second}});
        QCOMPARE(dialog.Diameters().size(), Frm_Size::Diameter_Count);
        dialog.show();
        QLabel *cell = nullptr;
        for (QLabel *d : dialog.Diameters()) {
            QCOMPARE(d->cursor().shape(), Qt::PointingHandCursor);
            if (d->text() == u"10.40")
                cell = d;
        }
        QVERIFY(cell);
        dialog.Highlight(cell);
        QCOMPARE(cell->palette().color(QPalette::WindowText), QColor(Qt::blue));
        QTest::mouseClick(cell, Qt::LeftButton);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(spot == 25 ? second.text() : service.text(), expected);
        QCOMPARE(plumbing.text(), QStringLiteral("old"));
    }

    void Splash_Closes_By_Its_Timer()
    {
        int startup = 0;
        Frm_About splash(QStringLiteral("1.02.0808"), startup);
        QElapsedTimer clock;
        clock.start();
        splash.exec();
        QCOMPARE(startup, 1);
        QVERIFY(clock.elapsed() >= 1100 && clock.elapsed() < 5000);

        // Opened from the menu the box stays open past the timer.
        Frm_About about(QStringLiteral("1.02.0808"), startup);
        int ticks = 0;
        connect(about.Timer1(), &QTimer::timeout, this, [&ticks] { ++ticks; });
        about.show();
        QTRY_VERIFY_WITH_TIMEOUT(ticks > 0, 20000); // the box's own tick has run
        QVERIFY(about.isVisible());
        QTest::keyClick(&about, Qt::Key_Space);
        QVERIFY(!about.isVisible());
    }

    // The editor keeps every character the job file's code page holds
    // (Ok without a change returns the note unchanged) and refuses, naming
    // them, characters it cannot hold.
    void Note_Keeps_Every_Code_Page_Character()
    {
        Main_Window w;
        QString every;
        for (int b = 0x20; b < 0x100; ++b)
            every += Decode_1252(QByteArray(1, char(b)));
        const QString note = QStringLiteral("a\u00a0b\tc \u00a0\r\n\r\n\"quoted\"\r\n") + every + QStringLiteral("\r\n\u00a0");
        w.main->State.Job.Note = note;
        QTimer::singleShot(0, [] {
            auto *dialog = qobject_cast<Frm_Note *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("Button_Ok")), Qt::LeftButton);
        });
        w.main->Edit_Note();
        QCOMPARE(w.main->State.Job.Note.size(), note.size());
        QCOMPARE(w.main->State.Job.Note, note);

        bool warned = false;
        QTimer::singleShot(0, [&warned] {
            auto *dialog = qobject_cast<Frm_Note *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            dialog->TB_Note->setPlainText(QStringLiteral("at least \u2265 20 psi"));
            QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("Button_Ok")), Qt::LeftButton);
            // Still open, the character named.
            warned = QApplication::activeModalWidget() == dialog && dialog->Lab_Note_Warning->isVisible()
                     && dialog->Lab_Note_Warning->text().contains(QStringLiteral("\"\u2265\" (U+2265)"));
            QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("Button_Cancel")), Qt::LeftButton);
        });
        w.main->State.Flag_Save = 0;
        w.main->Edit_Note();
        QVERIFY(warned);
        QCOMPARE(w.main->State.Job.Note, note);
        QCOMPARE(w.main->State.Flag_Save, 0);
    }

    void Note_Ok_And_Cancel()
    {
        Main_Window w;
        w.main->State.Job.Note = QStringLiteral("first line\r\nsecond");
        w.main->State.Flag_Save = 0;
        const auto answer = [](bool ok, const QString &text) {
            QTimer::singleShot(0, [ok, text] {
                auto *note = qobject_cast<Frm_Note *>(QApplication::activeModalWidget());
                QVERIFY(note);
                QCOMPARE(note->windowTitle(), QStringLiteral("Note"));
                if (!text.isNull())
                    note->TB_Note->setPlainText(text);
                QTest::mouseClick(note->findChild<QPushButton *>(ok ? QStringLiteral("Button_Ok")
                                                                    : QStringLiteral("Button_Cancel")),
                                  Qt::LeftButton);
            });
        };
        answer(false, QStringLiteral("typed but cancelled"));
        w.main->Edit_Note();
        QCOMPARE(w.main->State.Job.Note, QStringLiteral("first line\r\nsecond"));
        QCOMPARE(w.main->State.Flag_Save, 0);

        answer(true, QString());
        w.main->Edit_Note();
        QCOMPARE(w.main->State.Job.Note, QStringLiteral("first line\r\nsecond")); // unchanged text kept
        QCOMPARE(w.main->State.Flag_Save, 1);                                   // but marked modified
        QCOMPARE(w.Find<QLabel>(QStringLiteral("Lab_Note"))->text(), QStringLiteral("Note Exists"));
        QVERIFY(w.Find<QLabel>(QStringLiteral("Image1"))->isVisible());

        answer(true, QString());
        w.main->State.Job.Note.clear();
        w.main->Edit_Note();
        QCOMPARE(w.Find<QLabel>(QStringLiteral("Lab_Note"))->text(), QStringLiteral("No Note"));
        QVERIFY(!w.Find<QLabel>(QStringLiteral("Image1"))->isVisible());
    }

    void Pressure_Details_Open_And_Ok()
    {
        Sizing_Job job;
        job.Elev_Main_Meter = QStringLiteral("-5");
        job.Dia_Service_1 = QStringLiteral("-1");
        job.C_Service_1 = QStringLiteral("130");
        job.Len_Factor = Loose_Value::Of_Number(1.5);
        job.No_Upsize = Loose_Value::Of_Number(1);
        job.Meter_Location.clear();
        int flag = 0, spot = 0;
        Scripted_Prompt prompt;
        {
            Frm_Pressure details(job, flag, spot, prompt, QStringLiteral("1.02.0808"));
            QCOMPARE(details.Boxes["Elev_Main_Meter"]->text(), QStringLiteral("-5"));
            QCOMPARE(details.Boxes["Dia_Service_1"]->text(), QString());
            QCOMPARE(details.Boxes["C_Service_1"]->text(), QStringLiteral("130"));
            QCOMPARE(details.Boxes["Len_Factor"]->text(), QStringLiteral("1.5"));
            QVERIFY(details.Chk_No_Upsize->isChecked());
            QCOMPARE(job.Meter_Location, QStringLiteral("Inside")); // opening alone sets it
            QCOMPARE(details.Captions["Dia_Service_1"]->text(),
                     QStringLiteral("Service Lateral Internal Diameter from Main to Curb Stop "));
            details.reject();
        }
        QCOMPARE(flag, 0);
        QCOMPARE(job.Elev_Main_Meter.Text(), QStringLiteral("-5"));

        Frm_Pressure details(job, flag, spot, prompt, QStringLiteral("1.02.0808"));
        details.show();
        details.Boxes["Pressure_Min_Main"]->setText(QStringLiteral("60 psi"));
        QTest::mouseClick(details.Opt_Meter_Outside, Qt::LeftButton);
        QCOMPARE(details.Captions["C_Service_2"]->text(), QStringLiteral("Service Lateral C Factor from Meter to Building "));
        details.Ok();
        QCOMPARE(flag, 1);
        QCOMPARE(job.Pressure_Min_Main, Loose_Value::Of_Number(60));
        QCOMPARE(job.Dia_Service_1, Loose_Value::Of_Number(0)); // an empty box stores 0
        QCOMPARE(job.Meter_Location, QStringLiteral("Outside"));
        Frm_Pressure again(job, flag, spot, prompt, QStringLiteral("1.02.0808"));
        QCOMPARE(again.Boxes["Dia_Service_1"]->text(), QString()); // 0 shows as an empty box
    }

    // Enter in any box of the pressure details does what Ok does: it stores
    // and closes, and opens none of the reference dialogs behind the "?".
    void Pressure_Enter_Acts_As_Ok_data()
    {
        QTest::addColumn<QString>("field");
        for (const char *f : {"Pressure_Min_Main", "Dia_Service_1", "C_Service_1", "Dia_Service_2", "Len_Factor",
                              "Dia_Plumbing", "C_Plumbing", "Pressure_Treatment", "Pressure_Fixture"})
            QTest::newRow(f) << QString::fromLatin1(f);
    }
    void Pressure_Enter_Acts_As_Ok()
    {
        QFETCH(QString, field);
        Sizing_Job job;
        job.Meter_Location = QStringLiteral("Inside");
        int flag = 0, spot = 0;
        Scripted_Prompt prompt;
        Frm_Pressure details(job, flag, spot, prompt, QStringLiteral("1.02.0808"));
        details.show();
        QLineEdit *box = details.Boxes.value(field);
        QVERIFY(box);
        box->setFocus();
        box->setText(QStringLiteral("12"));
        bool child_opened = false, looked = false;
        // A modal child would block here; close it and remember that it came.
        QTimer::singleShot(200, [&child_opened, &looked, &details] {
            if (QWidget *modal = QApplication::activeModalWidget(); modal && modal != &details) {
                child_opened = true;
                modal->close();
            }
            looked = true;
        });
        QTest::keyClick(box, Qt::Key_Return);
        QTRY_VERIFY_WITH_TIMEOUT(looked, 20000);
        QVERIFY(!child_opened);
        QVERIFY(prompt.Messages.isEmpty());
        QCOMPARE(details.result(), int(QDialog::Accepted));
    }

    // Switching the meter's place in the diagram never changes its height.
    void Diagram_Keeps_One_Size()
    {
        Sizing_Job job;
        job.Meter_Location = QStringLiteral("Outside");
        int flag = 0, spot = 0;
        Scripted_Prompt prompt;
        Frm_Pressure details(job, flag, spot, prompt, QStringLiteral("1.02.0808"));
        Frm_Diagram diagram(false, &details);
        QVERIFY(Settle(&diagram));
        const QSize first = diagram.size();
        for (QRadioButton *place : {diagram.Opt_Inside, diagram.Opt_Outside, diagram.Opt_Inside}) {
            QTest::mouseClick(place, Qt::LeftButton);
            QVERIFY(Settle(&diagram));
            QCOMPARE(diagram.size(), first);
            QVERIFY(diagram.Picture_Inside->isVisible() != diagram.Picture_Outside->isVisible());
        }
    }

    // Options that cannot be stored say why; they still apply until the
    // program ends, and the earlier store is as it was.
    void Options_Save_Reports_A_Store_Not_Written()
    {
        Main_Window w;
        const QString file = w.dir.filePath(QStringLiteral("Quorvel.ini"));
        const QByteArray earlier = Read_File(file);
        QVERIFY(!earlier.isEmpty());
        if (!Write_Protect(file, true))
            QSKIP("this file system cannot write-protect a file");
        const auto undo = qScopeGuard([&file] { Write_Protect(file, false); });
        w.main->Open_Options();
        auto *options = w.main->findChild<Frm_Options *>();
        QVERIFY(options);
        options->TB_Editor->setText(QStringLiteral("kate"));
        w.prompt.Messages.clear();
        options->Save();
        const QString reason = QString::fromLocal8Bit(std::strerror(::geteuid() == 0 ? EPERM : EACCES));
        QVERIFY(!w.prompt.Messages.filter(QStringLiteral("The options could not be saved to %1: %2").arg(file, reason)).isEmpty());
        QCOMPARE(w.main->State.Settings.Editor, QStringLiteral("kate"));
        QCOMPARE(Read_File(file), earlier);
    }

    void Pressure_Diagram_And_Pipe_Sizes()
    {
        Sizing_Job job;
        job.Meter_Location = QStringLiteral("Inside");
        int flag = 0, spot = 0;
        Scripted_Prompt prompt;
        Frm_Pressure details(job, flag, spot, prompt, QStringLiteral("1.02.0808"));
        QTimer::singleShot(0, [] {
            auto *diagram = qobject_cast<Frm_Diagram *>(QApplication::activeModalWidget());
            QVERIFY(diagram);
            QVERIFY(diagram->Opt_Inside->isChecked());
            QTest::mouseClick(diagram->Opt_Outside, Qt::LeftButton);
            QVERIFY(diagram->Picture_Outside->isVisible() && !diagram->Picture_Inside->isVisible());
            diagram->accept();
        });
        details.show();
        QTest::mouseClick(details.findChild<QPushButton *>(QStringLiteral("Button_Diagram")), Qt::LeftButton);
        QVERIFY(details.Opt_Meter_Outside->isChecked());
        QCOMPARE(details.Captions["Len_Main_CB"]->text(), QStringLiteral("Service Lateral Length from Main to Meter "));

        // The second diameter's "?" fills the second service diameter.
        QTimer::singleShot(0, [] {
            auto *sizes = qobject_cast<Frm_Size *>(QApplication::activeModalWidget());
            QVERIFY(sizes);
            for (QLabel *d : sizes->Diameters()) {
                if (d->text() == u"1.481") {
                    QTest::mouseClick(d, Qt::LeftButton);
                    return;
                }
            }
        });
        QTest::mouseClick(details.findChild<QPushButton *>(QStringLiteral("Button_Dia3")), Qt::LeftButton);
        QCOMPARE(spot, 25);
        QCOMPARE(details.Boxes["Dia_Service_2"]->text(), QStringLiteral("1.481"));
        QCOMPARE(details.Boxes["Dia_Plumbing"]->text(), QString());
        details.reject(); // Cancel discards the switch to outside
        QCOMPARE(job.Meter_Location, QStringLiteral("Inside"));
        QCOMPARE(flag, 0);
    }

    void Options_Load_And_Save()
    {
        Main_Window w;
        w.main->State.Settings.Default_C_Service = QStringLiteral("0");
        w.main->Open_Options();
        auto *options = w.main->findChild<Frm_Options *>();
        QVERIFY(options && options->isVisible() && !options->isModal());
        QCOMPARE(options->TB_Default_C_Service->text(), QString()); // "0" is no default
        QCOMPARE(options->TB_Default_Len_Factor->text(), QStringLiteral("1.5"));
        QCOMPARE(options->Lab_Meter->text(), QStringLiteral("File: AWWA-Standard.mtr,    Description: ")
                                                  + w.main->State.Meters.Description);
        QVERIFY(options->CB_Meter->count() >= 2);
        QCOMPARE(options->CB_Meter->currentText(), options->Lab_Meter->text());

        // Choose the other list, clear the editor and turn the large buttons off.
        const int other = options->CB_Meter->findText(QStringLiteral("AWWA-Compound.mtr"), Qt::MatchContains);
        QVERIFY(other >= 0);
        options->CB_Meter->setCurrentIndex(other);
        options->TB_Editor->clear();
        options->Chk_Large_Buttons->setChecked(false);
        w.prompt.Messages.clear();
        options->Save();
        QCOMPARE(w.prompt.Messages.first(), QStringLiteral("\"Startup Defaults\" and \"Pressure Defaults\" changes will "
                                                           "not take effect until Quorvel is restarted."));
        QCOMPARE(w.main->State.Settings.Set_Meter_Table, QStringLiteral("AWWA-Compound.mtr"));
        QVERIFY(w.main->State.Meters.Entries.first().Size_Label.contains(QStringLiteral("Compound")));
        QCOMPARE(w.Find<QLabel>(QStringLiteral("Lab_Meter_Table"))->text(), w.main->State.Meters.Description);
        QCOMPARE(w.main->State.Settings.Editor, QStringLiteral("Notepad.exe"));
        QCOMPARE(w.Find<QToolBar>(QStringLiteral("Toolbar1"))->iconSize(), QSize(16, 15));
        Settings_Store store = w.main->Open_Settings_Store();
        QCOMPARE(store.Read(QStringLiteral("Default C Factor Service")), QStringLiteral("0")); // empty box stores 0
        QCOMPARE(store.Read(QStringLiteral("Set Meter Table")), QStringLiteral("AWWA-Compound.mtr"));
        QCOMPARE(store.Read(QStringLiteral("Large Buttons")), QStringLiteral("False"));
    }

    void Options_Defaults_Keep_The_Meter_List()
    {
        Main_Window w;
        w.main->State.Settings.Default_DefaultName = QStringLiteral("Someone");
        w.main->Open_Options();
        auto *options = w.main->findChild<Frm_Options *>();
        const int chosen = options->CB_Meter->currentIndex();
        options->Defaults();
        QCOMPARE(options->TB_DefaltName->text(), QString());
        QCOMPARE(options->TB_Default_Pressure_Fixture->text(), QStringLiteral("20"));
        QCOMPARE(options->CB_Meter->currentIndex(), chosen);
        options->close(); // Cancel: nothing changes
        QCOMPARE(w.main->State.Settings.Default_DefaultName, QStringLiteral("Someone"));
    }

    // The estimate marks follow the list in use and the meter chosen: the
    // 2" of the displacement list is published, its 3" continuous flow and
    // every turbine rating are estimates.
    void Estimate_Marks_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("count"); // of the first fixture row
        QTest::addColumn<bool>("meter_marked");
        QTest::newRow("displacement 2 in.") << "AWWA-Standard.mtr" << "10" << false;
        QTest::newRow("displacement 3 in.") << "AWWA-Standard.mtr" << "133" << true;
        QTest::newRow("turbine") << "AWWA-Turbine.mtr" << "10" << true;
    }
    void Estimate_Marks()
    {
        QFETCH(QString, list);
        QFETCH(QString, count);
        QFETCH(bool, meter_marked);
        Main_Window w;
        w.main->State.Settings.Set_Meter_Table = list;
        w.main->State.Settings.Default_Calc_Flow = Loose_Value::Of_Boolean(false);
        w.main->State.Job.Flow_Basis = Flow_Kind::Continuous;
        w.main->Set_Meter();
        w.main->State.Job.Fixture_Count[0] = count;
        w.main->Show_Job();
        w.Calculate();
        QVERIFY(w.main->Mark_Meter_Table->isVisibleTo(w.main.get()));
        QVERIFY(w.main->Mark_Meter_Table->toolTip().contains(QStringLiteral("Source")));
        QCOMPARE(w.main->Mark_Meter_Size->isVisibleTo(w.main.get()), meter_marked);
    }

    // The editor refuses a list that breaks the rules, names the row and the
    // reason and writes nothing; the same list put right is saved as the
    // user's own, offered by Options and read back to the same values.
    void Meter_List_Editor_Refuses_Then_Saves()
    {
        Main_Window w;
        w.main->Open_Options();
        auto *options = w.main->findChild<Frm_Options *>();
        QTest::mouseClick(options->Button_Edit_Meter_Lists, Qt::LeftButton);
        auto *editor = options->findChild<Frm_Meter_Lists *>();
        QVERIFY(editor);
        QVERIFY(!editor->Pb_Delete->isEnabled()); // the shipped list in use
        editor->New_List();
        editor->TB_Name->setText(QStringLiteral("Utility.mtr"));
        const QStringList meters[2] = {{"1\"", "Acme", "T1", "50", "25", "20", "2.2", "30", "5.3", "50", "15"},
                                       {"1-1/2\"", "Acme", "T2", "100", "50", "40", "3.3", "70", "2.8", "100", "20"}};
        editor->Grid->setRowCount(2);
        for (int r = 0; r < 2; ++r)
            for (int c = 0; c < 11; ++c)
                editor->Grid->setItem(r, c, new QTableWidgetItem(meters[r][c]));
        const QString path = User_Meter_List_Folder(w.main->State) + QStringLiteral("/Utility.mtr");
        QVERIFY(!editor->Save_List());
        QCOMPARE(editor->Lab_Problem->text(),
                 QStringLiteral("Not saved: row 2 (1-1/2\"): the loss curve falls: loss 2 (2.8 psi at 70 gpm) is not above 3.3 psi."));
        QCOMPARE(w.prompt.Messages.last(), editor->Lab_Problem->text());
        QVERIFY(!QFile::exists(path));
        editor->Grid->item(1, 8)->setText(QStringLiteral("9.8"));
        QVERIFY(editor->Save_List());
        Meter_List saved;
        Load_Meter_List(saved, path);
        QCOMPARE(saved.Count(), 2);
        QCOMPARE(saved.Entries[1].Loss_Point_Loss[1], 9.8);
        QVERIFY(options->CB_Meter->findText(QStringLiteral("Utility.mtr"), Qt::MatchContains) >= 0);
        QVERIFY(editor->Pb_Delete->isEnabled());
        w.prompt.Answers = {Prompt::Answer::Yes};
        editor->Delete_List();
        QVERIFY(!QFile::exists(path));
    }

    void Meter_Lists_Of_A_Folder()
    {
        QTemporaryDir dir;
        QVERIFY(Write_File(dir.filePath(QStringLiteral("b-list.MTR")), "Date: 1/1/2020\r\nDesc: Second list\r\n"));
        QVERIFY(Write_File(dir.filePath(QStringLiteral("A-list.mtr")), "' no description\r\n"));
        QVERIFY(Write_File(dir.filePath(QStringLiteral("c-list.txt")), "Desc: not a meter list\r\n"));
        const auto rows = Frm_Options::Scan_Meter_Lists(dir.path());
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows[0], (QPair<QString, QString>{QStringLiteral("A-list.mtr"), QString()}));
        QCOMPARE(rows[1], (QPair<QString, QString>{QStringLiteral("b-list.MTR"), QStringLiteral("Second list")}));
    }

    void File_Selection_Dialog()
    {
        QTemporaryDir dir;
        for (const char *name : {"jobs/a.qvl", "jobs/b.txt", "ed"})
            QVERIFY(Write_File(dir.filePath(QLatin1String(name))));
        const QString jobs = dir.filePath(QStringLiteral("jobs"));
        // Path mode, OK untouched: Current_Path when it is a folder ...
        Frm_Dialog_File1 path(Frm_Dialog_File1::Mode::Path, QString(), jobs, QString());
        QCOMPARE(path.Lab_Type->text(), QStringLiteral("Path"));
        QCOMPARE(path.Result(), jobs);
        // ... otherwise the folder of filename.
        Frm_Dialog_File1 from_name(Frm_Dialog_File1::Mode::Path, jobs + QStringLiteral("/a.qvl"),
                                   QStringLiteral("/no/such/folder"), QString());
        QCOMPARE(from_name.Result(), jobs);
        // Editor mode: a bare name is taken in the listed folder (or else on the search path).
        Frm_Dialog_File1 editor(Frm_Dialog_File1::Mode::Editor, QString(), QString(), dir.filePath(QStringLiteral("ed")));
        QCOMPARE(editor.Lab_Type->text(), QStringLiteral("Editor"));
        QCOMPARE(editor.Folder(), dir.path());
        QCOMPARE(editor.Result(), dir.filePath(QStringLiteral("ed")));
        editor.FileName_Text->setText(QStringLiteral("no-such-editor-7f3"));
        QCOMPARE(editor.Result(), dir.filePath(QStringLiteral("no-such-editor-7f3")));
    }
};

QTEST_MAIN(Test_Dialogs)
#include "tst_dialogs.moc"
