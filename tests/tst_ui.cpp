// The main window: its start, the fixture grid, the results and the status
// bar, its commands, and its layout on small screens and with long texts.
#include "elided_label.h"
#include "frm_main.h"
#include "window_support.h"
#include "frm_options.h"
#include "frm_pressure.h"
#include "number_format.h"
#include "frm_update.h"
#include "frm_calc_details.h"
#include "settings_store.h"
#include "window_memory.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTableWidget>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QToolBar>
#include <QProcess>

#include <unistd.h>
#include <QtTest>

namespace {

// What the fixture grid shows and what the job holds, row by row.
QStringList Grid_Snapshot(const Frm_Main &main)
{
    QStringList rows;
    for (int r = 0; r < Grid_Rows; ++r)
        rows << QStringLiteral("%1: %2 %3 [%4]")
                    .arg(r)
                    .arg(main.TB_Number[r]->text(), main.TB_Number[r]->isEnabled() ? u"on"_qs : u"off"_qs,
                         main.State.Job.Fixture_Count[r]);
    return rows;
}

// Rows that can be typed in private use and stay count rows in public use.
QList<int> Plain_Rows(const Program_State &state)
{
    QList<int> rows;
    const int both = std::min(state.Table1.Row_Count(), state.Table2.Row_Count());
    for (int r = 0; r < std::min(both, Grid_Rows); ++r)
        if (!state.Table2.Rows[r].Note_A)
            rows << r;
    return rows;
}

} // namespace

class Test_Ui : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (!QFile::exists(Program_Folder() + QStringLiteral("/Table-1.dat")))
            QFAIL("shipped data files are not beside the test");
    }

    void Startup_Applies_Factory_Settings()
    {
        Main_Window w;
        // First start: the reset message, once.
        QCOMPARE(w.prompt.Messages.size(), 1);
        QVERIFY(w.prompt.Messages.first().startsWith(QStringLiteral("Your startup options have been reset")));
        QCOMPARE(w.main->windowTitle(), QStringLiteral("Quorvel[*]"));
        QVERIFY(w.Find<QRadioButton>(QStringLiteral("Opt_Pri_Use"))->isChecked());
        QVERIFY(w.Find<QRadioButton>(QStringLiteral("Opt_Per_Tank"))->isChecked());
        QVERIFY(w.Find<QRadioButton>(QStringLiteral("Opt_Flow_Max"))->isChecked());
        QVERIFY(!w.Find<QCheckBox>(QStringLiteral("Chk_Use_Pressure"))->isChecked());
        QCOMPARE(w.Find<QLabel>(QStringLiteral("Lab_Version"))->text(), QStringLiteral("1.02.0808"));
        QCOMPARE(w.Find<QLabel>(QStringLiteral("Lab_Meter_Table"))->text(), w.main->State.Meters.Description);
        QVERIFY(!w.main->State.Meters.Description.isEmpty());
        QCOMPARE(w.main->State.Flag_Save, 0);
        // Every grid row has its controls under their names; the private table labels its rows.
        const int rows = w.main->State.Table1.Row_Count();
        for (int r = 0; r < Grid_Rows; ++r) {
            auto *box = w.Find<QLineEdit>(QStringLiteral("TB_Number_%1").arg(r));
            auto *label = w.Find<QLabel>(QStringLiteral("Lab_Pri_%1").arg(r));
            QCOMPARE(box->isEnabled(), r < rows);
            QCOMPARE(label->text().isEmpty(), r >= rows);
        }
        // A second start with the same settings shows nothing.
        Main_Window again;
        QVERIFY(again.prompt.Messages.size() == 1); // its own, fresh settings file
    }

    void Typing_Counts_And_Calculate()
    {
        Main_Window w;
        auto *box = w.Find<QLineEdit>(QStringLiteral("TB_Number_0"));
        QTest::keyClicks(box, QStringLiteral("3"));
        QCOMPARE(w.main->State.Flag_Save, 1);
        QCOMPARE(w.main->State.Job.Fixture_Count[0], QStringLiteral("3"));
        // Irrigation does not mark the job modified.
        w.main->State.Flag_Save = 0;
        QTest::keyClicks(w.Find<QLineEdit>(QStringLiteral("TB_Sprinkler")), QStringLiteral("12"));
        QCOMPARE(w.main->State.Flag_Save, 0);

        QTest::mouseClick(w.Find<QPushButton>(QStringLiteral("Button_Calc")), Qt::LeftButton);
        const Sizing_Job &job = w.main->State.Job;
        const double expected_units = 3 * w.main->State.Table1.Rows[0].Fixture_Units;
        QCOMPARE(job.Fixture_Units, expected_units);
        QCOMPARE(w.Find<QLabel>(QStringLiteral("Lab_Fixture_Units"))->text(), job.Fixture_Units_Text);
        QVERIFY(w.Find<QLabel>(QStringLiteral("Lab_Design_Flow"))->text().endsWith(QStringLiteral(" gpm")));
        QVERIFY(job.Design_Flow > 12); // irrigation added
        QCOMPARE(w.Find<QLabel>(QStringLiteral("Lab_Meter_Size"))->text(), job.Meter_Size_Text);
        QCOMPARE(w.Find<QLabel>(QStringLiteral("Lab_Pressure_Fixture"))->text(), QStringLiteral("n/a"));
        QCOMPARE(w.main->State.Flag_Save, 0); // calculating is no edit
    }

    void Public_Use_Shows_Note_A_Rows()
    {
        Main_Window w;
        const Fixture_Table &pub = w.main->State.Table2;
        int note_a = -1;
        for (int r = 0; r < pub.Row_Count(); ++r) {
            if (pub.Rows[r].Note_A) {
                note_a = r;
                break;
            }
        }
        QVERIFY(note_a >= 0);
        auto *box = w.Find<QLineEdit>(QStringLiteral("TB_Number_%1").arg(note_a));
        box->setText(QStringLiteral("4"));
        QTest::mouseClick(w.Find<QRadioButton>(QStringLiteral("Opt_Pub_Use")), Qt::LeftButton);
        QCOMPARE(box->text(), QStringLiteral("Note A"));
        QVERIFY(!box->isEnabled());
        QCOMPARE(box->palette().color(QPalette::Disabled, QPalette::Base), QColor(Qt::white));
        QCOMPARE(w.Find<QLabel>(QStringLiteral("Lab_Pri_0"))->text(), pub.Rows[0].Plain_Description);
        QTest::mouseClick(w.Find<QRadioButton>(QStringLiteral("Opt_Pri_Use")), Qt::LeftButton);
        QCOMPARE(box->text(), QStringLiteral("4"));
        QCOMPARE(w.main->State.Flag_Save, 1);
        // The code-language descriptions relabel the grid.
        auto *description = w.Find<QCheckBox>(QStringLiteral("Chk_Description"));
        QTest::mouseClick(description, Qt::LeftButton, {}, QPoint(6, description->height() / 2));
        QCOMPARE(w.Find<QLabel>(QStringLiteral("Lab_Pri_0"))->text(), w.main->State.Table1.Rows[0].Code_Description);
    }

    void Status_Bar_Follows_Edits_And_Save()
    {
        Main_Window w;
        QTest::keyClicks(w.Find<QLineEdit>(QStringLiteral("TB_Location")), QStringLiteral("Main St"));
        w.main->Refresh_Status();
        QCOMPARE(w.main->Panels[0]->text(), QStringLiteral("Not Saved"));
        const QString path = w.dir.filePath(QStringLiteral("job.qvl"));
        w.prompt.Paths << path;
        w.main->Save_Job();
        QVERIFY(QFile::exists(path));
        QVERIFY(w.prompt.Messages.contains(QStringLiteral("Saved")));
        QTRY_COMPARE_WITH_TIMEOUT(w.main->Panels[0]->text(), QStringLiteral("Unmodified"), 20000); // by the status timer
        QCOMPARE(w.main->Panels[1]->text(), path);
    }

    void Arrow_Keys_Move_Through_Tab_Order()
    {
        Main_Window w;
        QApplication::setActiveWindow(w.main.get());
        auto *five = w.Find<QLineEdit>(QStringLiteral("TB_Number_5"));
        auto *six = w.Find<QLineEdit>(QStringLiteral("TB_Number_6"));
        five->setFocus();
        QTRY_VERIFY(five->hasFocus());
        QTest::keyClick(five, Qt::Key_Down);
        QTRY_VERIFY(six->hasFocus());
        QTest::keyClick(six, Qt::Key_Up);
        QTRY_VERIFY(five->hasFocus());
        // The date picker passes the focus on.
        w.Find<QDateEdit>(QStringLiteral("DTPicker1"))->setFocus(Qt::TabFocusReason);
        QTRY_VERIFY(w.Find<QPushButton>(QStringLiteral("Button_Today"))->hasFocus());
    }

    void Toolbar_And_Image_Sets()
    {
        Main_Window w;
        auto *bar = w.Find<QToolBar>(QStringLiteral("Toolbar1"));
        const QList<QAction *> actions = bar->actions();
        QCOMPARE(actions.size(), 20); // Calculation Details after Calculate
        int separators = 0;
        for (QAction *a : actions) {
            if (a->isSeparator()) {
                ++separators;
                continue;
            }
            QVERIFY2(!a->icon().isNull(), qPrintable(a->text()));
            QVERIFY(!a->icon().pixmap(QSize(24, 23)).isNull());
        }
        QCOMPARE(separators, 5);
        QCOMPARE(w.main->findChild<QAction *>(QStringLiteral("Toolbar_Fixt"))->toolTip(),
                 QStringLiteral("View Fixture Uint Conversion"));
        QCOMPARE(bar->iconSize(), QSize(24, 23));
        w.main->State.Settings.Large_Buttons = false;
        w.main->Set_Images();
        QCOMPARE(bar->iconSize(), QSize(16, 15));
        QVERIFY(!w.main->findChild<QAction *>(QStringLiteral("Toolbar_Quit"))->icon().isNull());
    }

    void View_Commands_Start_The_Editor()
    {
        Main_Window w;
        w.main->findChild<QAction *>(QStringLiteral("Toolbar_Priv"))->trigger();
        w.main->findChild<QAction *>(QStringLiteral("Menu_View_Meter"))->trigger();
        QCOMPARE(w.launched, (QStringList{
                                 QStringLiteral("Notepad.exe \"%1\"|5").arg(w.main->State.File1),
                                 QStringLiteral("Notepad.exe \"%1/AWWA-Standard.mtr\"|5").arg(w.main->State.App_Path),
                             }));
        w.launched.clear();
        w.main->Show_Help();
        QCOMPARE(w.launched, QStringList{QStringLiteral("\"%1/QV-Help.htm\"|4").arg(w.main->State.App_Path)});
    }

    void Help_Buttons_Explain()
    {
        Main_Window w;
        w.prompt.Messages.clear();
        QTest::mouseClick(w.Find<QPushButton>(QStringLiteral("Button_Sprinkler")), Qt::LeftButton);
        QTest::mouseClick(w.Find<QPushButton>(QStringLiteral("Button_NoteA")), Qt::LeftButton);
        QCOMPARE(w.prompt.Messages.size(), 2);
        QVERIFY(w.prompt.Messages[0].endsWith(QStringLiteral("Typically flow rates range from 12 to 15 gpm.")));
        QVERIFY(w.prompt.Messages[1].endsWith(QStringLiteral("This field does not apply to Private Use Fixtures.")));
    }

    void Command_Line_Opens_The_Job()
    {
        const QString sample = Program_Folder() + QStringLiteral("/Sample.qvl");
        if (!QFile::exists(sample))
            QFAIL("no sample job beside the test");
        Main_Window w(sample);
        QCOMPARE(w.main->State.Job_File_Name, sample);
        QVERIFY(w.main->State.Load_Command.isEmpty());
        QVERIFY(!w.main->State.Job.Location.isEmpty());
        QCOMPARE(w.Find<QLineEdit>(QStringLiteral("TB_Location"))->text(), w.main->State.Job.Location);
        QCOMPARE(w.main->State.Flag_Save, 0);
        QVERIFY(!w.Find<QLabel>(QStringLiteral("Lab_Meter_Size"))->text().isEmpty());
    }

    // The right column of the main window and the pressure fields scroll on a
    // low screen, never sideways: each is at least as wide as its controls,
    // and Ok and Cancel stay inside the dialog.
    void Scrolled_Columns_Keep_Their_Width()
    {
        Main_Window w;
        QVERIFY(Settle(w.main.get())); // the layouts settle as in the running program
        auto *right = w.Find<QScrollArea>(QStringLiteral("Right_Scroll"));
        QVERIFY(right->minimumWidth() >= right->widget()->minimumSizeHint().width());

        Sizing_Job job;
        int flag = 0, spot = 0;
        Scripted_Prompt prompt;
        Frm_Pressure details(job, flag, spot, prompt, QStringLiteral("1.02.0808"));
        QVERIFY(Settle(&details));
        auto *fields = details.findChild<QScrollArea *>(QStringLiteral("Fields_Scroll"));
        QVERIFY(fields);
        QCOMPARE(fields->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        QVERIFY(fields->minimumWidth() >= fields->widget()->minimumSizeHint().width());
        for (const char *name : {"Button_Ok", "Button_Cancel"}) {
            auto *button = details.findChild<QPushButton *>(QLatin1String(name));
            QVERIFY(button);
            QVERIFY(details.rect().contains(QRect(button->mapTo(&details, QPoint(0, 0)), button->size())));
        }
        details.reject();
    }
    // However long a result text, the main window keeps its width; the
    // whole text is in the box's tooltip.
    void Long_Result_Keeps_Window_Width_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("200 characters") << QString(200, u'W');
        QTest::newRow("200 with spaces") << QStringLiteral("2\" [Upsized] ").repeated(15).left(200);
    }
    void Long_Result_Keeps_Window_Width()
    {
        QFETCH(QString, text);
        Main_Window w;
        QVERIFY(Settle(w.main.get()));
        const int width = w.main->width();
        w.main->State.Job.Meter_Size_Text = text;
        w.main->Show_Results();
        QVERIFY(Settle(w.main.get()));
        QCOMPARE(w.main->width(), width);
        QCOMPARE(w.main->Lab_Meter_Size->toolTip(), text);
        QVERIFY(w.main->minimumSizeHint().width() <= width);
    }

    // A public-use job that was opened, or started by New, turns private
    // exactly as the same job typed in: the Note A rows get back what was
    // typed in them (nothing), never the marker.
    void Open_Then_Private_Matches_Typing_data()
    {
        QTest::addColumn<QString>("start");     // "open" a saved job, or "new" with public use as the default
        QTest::addColumn<QList<int>>("picks");  // indexes into the plain rows; each gets a count
        QTest::addColumn<bool>("dirty");        // the window held a public job with a kept Note A count before
        QTest::addColumn<bool>("long_private"); // the private table has as many rows as the public one
        QTest::newRow("open, no counts") << "open" << QList<int>{} << false << false;
        QTest::newRow("open, first row") << "open" << QList<int>{0} << false << false;
        QTest::newRow("open, several rows") << "open" << QList<int>{0, 1, 3, -1} << false << false;
        QTest::newRow("open, long private table") << "open" << QList<int>{0, 2, -1} << false << true;
        QTest::newRow("open over a job with kept counts") << "open" << QList<int>{1, 2} << true << true;
        QTest::newRow("new, public by default") << "new" << QList<int>{} << false << false;
        QTest::newRow("new, long private table") << "new" << QList<int>{} << false << true;
        QTest::newRow("new over a job with kept counts") << "new" << QList<int>{} << true << true;
    }
    void Open_Then_Private_Matches_Typing()
    {
        QFETCH(QString, start);
        QFETCH(QList<int>, picks);
        QFETCH(bool, dirty);
        QFETCH(bool, long_private);
        // A private table of many rows makes the Note A rows count rows in private use.
        const auto prepare = [long_private](Main_Window &w) {
            Fixture_Table &pri = w.main->State.Table1;
            const Fixture_Table &pub = w.main->State.Table2;
            while (long_private && pri.Row_Count() < pub.Row_Count()) {
                Fixture_Row row = pub.Rows[pri.Row_Count()];
                row.Note_A = false;
                pri.Rows << row;
            }
            w.main->Refresh_Fixture_Grid();
        };
        const auto type_job = [&picks](Main_Window &w) {
            const QList<int> plain = Plain_Rows(w.main->State);
            QVERIFY(plain.size() >= 4);
            for (int i = 0; i < picks.size(); ++i) {
                const int r = plain[picks[i] < 0 ? plain.size() + picks[i] : picks[i]];
                QTest::keyClicks(w.main->TB_Number[r], QString::number(i + 2));
            }
        };
        const auto click = [](Main_Window &w, const char *name) {
            QTest::mouseClick(w.Find<QRadioButton>(QLatin1String(name)), Qt::LeftButton);
        };
        // The reference: typed in private use, then public, then private again.
        Main_Window typed;
        prepare(typed);
        type_job(typed);
        click(typed, "Opt_Pub_Use");
        const QStringList typed_public = Grid_Snapshot(*typed.main);
        click(typed, "Opt_Pri_Use");
        const QStringList typed_private = Grid_Snapshot(*typed.main);

        Main_Window w;
        prepare(w);
        const int note_a_row = [&w] {
            for (int r = 0; r < w.main->State.Table2.Row_Count(); ++r)
                if (w.main->State.Table2.Rows[r].Note_A)
                    return r;
            return -1;
        }();
        QVERIFY(note_a_row >= 0);
        const bool counted_in_private = note_a_row < w.main->State.Table1.Row_Count();
        QCOMPARE(counted_in_private, long_private);
        if (dirty) { // a count typed in a Note A row, kept while the job is public
            QTest::keyClicks(w.main->TB_Number[note_a_row], QStringLiteral("9"));
            click(w, "Opt_Pub_Use");
            QCOMPARE(w.main->TB_Number[note_a_row]->text(), QStringLiteral("Note A"));
            w.prompt.Answers << Prompt::Answer::No; // do not save it
        }
        if (start == u"open") {
            const QString path = typed.dir.filePath(QStringLiteral("public.qvl"));
            click(typed, "Opt_Pub_Use");
            typed.prompt.Paths << path;
            typed.main->Save_Job();
            QVERIFY(QFile::exists(path));
            w.prompt.Paths << path;
            w.main->Open_Job();
            QCOMPARE(w.main->State.Job_File_Name, path);
        } else {
            w.main->State.Settings.Fixture = false; // new jobs are public
            w.main->New_Job();
        }
        QVERIFY(w.Find<QRadioButton>(QStringLiteral("Opt_Pub_Use"))->isChecked());
        QCOMPARE(w.main->State.Flag_Save, 0);
        QCOMPARE(Grid_Snapshot(*w.main), typed_public);
        click(w, "Opt_Pri_Use");
        QCOMPARE(Grid_Snapshot(*w.main), typed_private);
        QCOMPARE(w.main->TB_Number[note_a_row]->text(), QString());
        QCOMPARE(w.main->TB_Number[note_a_row]->isEnabled(), counted_in_private);
        if (!counted_in_private)
            return;
        // And back and forth once more, with a count typed in the Note A row.
        QTest::keyClicks(w.main->TB_Number[note_a_row], QStringLiteral("7"));
        click(w, "Opt_Pub_Use");
        w.main->Refresh_Fixture_Grid(); // the note or the descriptions refresh the grid again
        click(w, "Opt_Pri_Use");
        QCOMPARE(w.main->TB_Number[note_a_row]->text(), QStringLiteral("7"));
    }

    // Save calculates first; while it asks for the file name the window
    // already shows the new results, and so it does when Save comes from
    // the save prompt of New.
    void Save_Shows_Results_Before_Its_Dialog_data()
    {
        QTest::addColumn<QString>("command");
        QTest::newRow("Save") << "save";
        QTest::newRow("New, answering Yes") << "new";
        QTest::newRow("Quit, answering Yes") << "quit";
    }
    void Save_Shows_Results_Before_Its_Dialog()
    {
        QFETCH(QString, command);
        Main_Window w;
        QTest::keyClicks(w.main->TB_Number[0], QStringLiteral("3"));
        QTest::keyClicks(w.main->TB_Number[1], QStringLiteral("2"));
        QVERIFY(w.main->Lab_Fixture_Units->text().isEmpty());
        QStringList shown;
        w.prompt.On_Save_Dialog = [&w, &shown] {
            shown << w.main->Lab_Fixture_Units->text() << w.main->Lab_Design_Flow->text()
                  << w.main->Lab_Meter_Size->text();
        };
        w.prompt.Paths << QString(); // the dialog is cancelled
        w.prompt.Answers << Prompt::Answer::Yes;
        if (command == u"save")
            w.main->Save_Job();
        else if (command == u"new")
            w.main->New_Job();
        else
            w.main->Quit();
        QCOMPARE(w.prompt.Dialogs_Shown, 1);
        QCOMPARE(shown.size(), 3);
        const double units = 3 * w.main->State.Table1.Rows[0].Fixture_Units + 2 * w.main->State.Table1.Rows[1].Fixture_Units;
        QVERIFY(units > 0);
        QCOMPARE(shown[0], Format_Number(units, Number_Pattern::Optional_1));
        QVERIFY(shown[1].endsWith(QStringLiteral(" gpm")));
        QVERIFY(!shown[2].isEmpty());
    }

    // After another meter list is chosen, no result of the earlier list
    // stays on the window; saving the options with the same list keeps them.
    void Other_Meter_List_Clears_Results_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<bool>("cleared");
        QTest::newRow("same list") << "AWWA-Standard.mtr" << false;
        QTest::newRow("other list") << "AWWA-Turbine.mtr" << true;
    }
    void Other_Meter_List_Clears_Results()
    {
        QFETCH(QString, list);
        QFETCH(bool, cleared);
        Main_Window w;
        QTest::keyClicks(w.main->TB_Number[0], QStringLiteral("12"));
        w.main->Calculate();
        const QString meter = w.main->Lab_Meter_Size->text();
        QVERIFY(!meter.isEmpty());
        w.main->Open_Options();
        auto *options = w.main->findChild<Frm_Options *>();
        QVERIFY(options);
        const int index = options->CB_Meter->findText(list, Qt::MatchContains);
        QVERIFY(index >= 0);
        options->CB_Meter->setCurrentIndex(index);
        options->Save();
        QCOMPARE(w.main->State.Settings.Set_Meter_Table, list);
        for (QLabel *box : {w.main->Lab_Fixture_Units, w.main->Lab_Design_Flow, w.main->Lab_Meter_Size,
                            w.main->Lab_Pressure_Fixture})
            QCOMPARE(box->text().isEmpty(), cleared);
        QCOMPARE(w.main->State.Job.Meter_Size_Text.isEmpty(), cleared);
        QCOMPARE(w.main->State.Job.Meter_Index == 0, cleared);
        w.main->Calculate(); // the next Calculate shows the new list's meter
        QVERIFY(!w.main->Lab_Meter_Size->text().isEmpty());
        QCOMPARE(w.main->Lab_Meter_Size->text() == meter, !cleared);
    }

    // No text widens the main window: each label that shows a text of the
    // job, the tables or the meter list cuts a long one with "…", and its
    // tooltip holds the whole text.
    void Long_Texts_Are_Cut_data()
    {
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("text");
        const QString words = QStringLiteral("2\" [Upsized] AWWA C700 displacement ").repeated(8).left(200);
        const QString solid = QString(200, u'W');
        const QString path = QStringLiteral("/home/engineer/") + QStringLiteral("projects/").repeated(20) + QStringLiteral("job.qvl");
        for (const char *label : {"Lab_Meter_Size", "Lab_Fixture_Units", "Lab_Design_Flow", "Lab_Pressure_Fixture",
                                  "Lab_Meter_Table", "Lab_Pri_0"}) {
            QTest::newRow(qPrintable(QStringLiteral("%1, words").arg(QLatin1String(label)))) << label << words;
            QTest::newRow(qPrintable(QStringLiteral("%1, one word").arg(QLatin1String(label)))) << label << solid;
        }
        QTest::newRow("job file path") << "Panel_2" << path;
    }
    void Long_Texts_Are_Cut()
    {
        QFETCH(QString, label);
        QFETCH(QString, text);
        QCOMPARE(text.size() >= 200, true);
        Main_Window w;
        w.main->resize(1000, 560);
        QVERIFY(Settle(w.main.get()));
        const QSize size = w.main->size();
        const int minimum = w.main->minimumSizeHint().width();
        Frm_Main &m = *w.main;
        if (label == u"Lab_Pri_0") {
            m.State.Table1.Rows[0].Plain_Description = text;
            m.Refresh_Fixture_Grid();
        } else if (label == u"Lab_Meter_Table") {
            m.State.Meters.Description = text;
            m.Show_Meter_Table();
        } else if (label == u"Panel_2") {
            m.State.Job_File_Name = text;
            m.Refresh_Status();
        } else {
            Sizing_Job &job = m.State.Job;
            (label == u"Lab_Meter_Size"      ? job.Meter_Size_Text
             : label == u"Lab_Fixture_Units" ? job.Fixture_Units_Text
             : label == u"Lab_Design_Flow"   ? job.Design_Flow_Text
                                             : job.Pressure_Fixture_Text) = text;
            m.Show_Results();
        }
        QVERIFY(Settle(&m));
        QCOMPARE(m.size(), size);
        QVERIFY(m.minimumSizeHint().width() <= minimum);
        auto *shown = w.Find<Elided_Label>(label);
        QCOMPARE(shown->text(), text);
        QVERIFY(shown->Is_Elided());
        QVERIFY(shown->Shown_Text().endsWith(u'…') || shown->Shown_Text().contains(u'…'));
        QVERIFY(shown->fontMetrics().horizontalAdvance(shown->Shown_Text()) <= shown->contentsRect().width());
        QVERIFY2(shown->toolTip().contains(text), qPrintable(shown->toolTip()));
        // A short text is shown whole.
        shown->setText(QStringLiteral("1\""));
        QVERIFY(!shown->Is_Elided());
    }

    // New shows the fixture grid from its first row, wherever it was scrolled.
    void New_Scrolls_Grid_To_Top()
    {
        Main_Window w;
        w.main->resize(1000, 500);
        QVERIFY(Settle(w.main.get()));
        auto *scroll = w.Find<QScrollArea>(QStringLiteral("Grid_Scroll"));
        QVERIFY(scroll->verticalScrollBar()->maximum() > 0);
        scroll->verticalScrollBar()->setValue(scroll->verticalScrollBar()->maximum());
        w.main->New_Job();
        QCOMPARE(scroll->verticalScrollBar()->value(), 0);
    }

    // A system install (a program folder this user cannot write): Check for
    // Update says the package manager updates it and opens no update dialog;
    // License and Print Preview write into the user's data folder.
    void System_Install()
    {
        QTemporaryDir base;
        const Program_Copy shipped({QStringLiteral("*.dat"), QStringLiteral("*.mtr")});
        const QString copy = shipped.Path(), folder = base.filePath(QStringLiteral("usr lib quorvel"));
        QVERIFY(!copy.isEmpty() && QDir().mkpath(folder));
        bool mounted = false;
        if (::geteuid() == 0) {
            mounted = QProcess::execute(QStringLiteral("mount"), {QStringLiteral("--bind"), copy, folder}) == 0;
            QVERIFY(mounted);
            QCOMPARE(QProcess::execute(QStringLiteral("mount"), {QStringLiteral("-o"), QStringLiteral("remount,bind,ro"), folder}), 0);
        } else {
            QVERIFY(QDir().rmdir(folder) && QFile::link(copy, folder));
            QVERIFY(QFile::setPermissions(copy, QFile::ReadOwner | QFile::ExeOwner));
        }
        const auto restore = qScopeGuard([&] {
            if (mounted)
                QProcess::execute(QStringLiteral("umount"), {folder});
            QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        });
        const Scoped_Env data_home("XDG_DATA_HOME", base.filePath(QStringLiteral("data")));

        Main_Window w(QString(), false, folder);
        const QString documents = base.filePath(QStringLiteral("data/Quorvel"));
        QCOMPARE(w.main->State.Document_Path, documents);
        QVERIFY(!w.main->State.Meters.Description.isEmpty()); // the tables still come from the program folder
        w.main->Open_Options();
        auto *options = w.main->findChild<Frm_Options *>();
        QVERIFY(options);
        w.prompt.Messages.clear();
        options->findChild<QPushButton *>(QStringLiteral("Button_Update"))->click();
        QCOMPARE(w.prompt.Messages.size(), 1);
        QVERIFY2(w.prompt.Messages.first().contains(QStringLiteral("system's package manager")),
                 qPrintable(w.prompt.Messages.first()));
        QVERIFY(!w.main->findChild<Frm_Update *>());
        options->close();

        w.launched.clear();
        w.main->Show_License();
        QVERIFY(QFileInfo(documents + QStringLiteral("/License.txt")).size() > 0);
        QCOMPARE(w.launched.size(), 1);
        QVERIFY2(w.launched.first().contains(documents + QStringLiteral("/License.txt")), qPrintable(w.launched.first()));
        w.main->Print_Preview();
        QVERIFY(QFileInfo(documents + QStringLiteral("/Quorvel.prn")).size() > 0);
        QCOMPARE(QDir(copy).entryList({QStringLiteral("*.txt"), QStringLiteral("*.prn")}), QStringList());
    }

    // Calculate opens no window: the four results stay in view. Once the
    // details are open (Ctrl+D), every Calculate refreshes them, and on a
    // screen too small to have them beside the window they are a tab that
    // gives way to the results.
    void Calculate_Leaves_The_Results_In_View_data()
    {
        QTest::addColumn<QKeySequence>("key");
        QTest::addColumn<bool>("details_open");
        QTest::newRow("F9") << QKeySequence(Qt::Key_F9) << false;
        QTest::newRow("Ctrl+R") << QKeySequence(Qt::CTRL | Qt::Key_R) << false;
        QTest::newRow("F9, details open") << QKeySequence(Qt::Key_F9) << true;
    }
    void Calculate_Leaves_The_Results_In_View()
    {
        QFETCH(QKeySequence, key);
        QFETCH(bool, details_open);
        Main_Window w(Program_Folder() + QStringLiteral("/Sample.qvl"));
        QVERIFY(Settle(w.main.get()));
        w.main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.main.get()));
        QVERIFY(!w.main->Calc_Details_Shown());
        if (details_open) {
            QTest::keySequence(w.main.get(), QKeySequence(Qt::CTRL | Qt::Key_D));
            QVERIFY(w.main->Calc_Details_Shown());
            QVERIFY(w.main->Calc_Details->isAncestorOf(QApplication::focusWidget()));
        }
        const QWidgetList before = QApplication::topLevelWidgets();
        w.main->State.Job.Fixture_Count[0] = QStringLiteral("7");
        QTest::keySequence(w.main.get(), key);
        QCOMPARE(w.main->Last_Calculation.State.Job.Fixture_Count[0], QStringLiteral("7"));
        QCOMPARE(w.main->Calc_Details_Shown(), details_open);
        for (QWidget *top : QApplication::topLevelWidgets())
            QVERIFY2(top == w.main.get() || !top->isVisible() || (details_open && top == w.main->Calc_Details),
                     qPrintable(top->objectName()));
        for (const char *name : {"Lab_Fixture_Units", "Lab_Design_Flow", "Lab_Meter_Size", "Lab_Pressure_Fixture"}) {
            auto *box = w.Find<QLabel>(QLatin1String(name));
            QVERIFY2(box->isVisible() && !box->visibleRegion().isEmpty(), name);
            QVERIFY(!box->text().isEmpty());
        }
        if (details_open)
            QCOMPARE(w.main->Calc_Details->Record().State.Job.Fixture_Count[0], QStringLiteral("7"));
        // Ctrl+D toggles: it gives the open details the focus, then closes them.
        QTest::keySequence(w.main.get(), QKeySequence(Qt::CTRL | Qt::Key_D));
        QVERIFY(w.main->Calc_Details_Shown());
        QTest::keySequence(QApplication::focusWidget(), QKeySequence(Qt::CTRL | Qt::Key_D));
        QVERIFY(!w.main->Calc_Details_Shown());
        QVERIFY(w.Find<QLabel>(QStringLiteral("Lab_Meter_Size"))->isVisible());
    }

    // Every menu and every entry can be reached by its letter, none twice in
    // one menu; the commands without a mouse path have their keys.
    void Menus_Have_Their_Letters_data()
    {
        QTest::addColumn<QString>("menu");
        for (const char *name : {"", "Menu_File", "Menu_Configure", "Menu_View", "Menu_Action", "Menu_Help"})
            QTest::newRow(*name ? name : "menu bar") << QString::fromLatin1(name);
    }
    void Menus_Have_Their_Letters()
    {
        QFETCH(QString, menu);
        Main_Window w;
        w.main->Recent_Jobs = {Program_Folder() + QStringLiteral("/Sample.qvl")};
        QWidget *holder = menu.isEmpty() ? static_cast<QWidget *>(w.main->menuBar()) : w.Find<QMenu>(menu);
        emit w.main->Recent_Menu->aboutToShow();
        QSet<QChar> letters;
        for (QAction *a : holder->actions()) {
            if (a->isSeparator() || !a->isEnabled())
                continue; // the View menu's warning line is no command
            const QKeySequence mnemonic = QKeySequence::mnemonic(a->text());
            QVERIFY2(!mnemonic.isEmpty(), qPrintable(a->text()));
            const QChar letter = QKeySequence(mnemonic[0].key()).toString().at(0).toLower();
            QVERIFY2(!letters.contains(letter), qPrintable(a->text()));
            letters.insert(letter);
        }
        if (menu == u"Menu_File")
            for (const char *name : {"Menu_Print_Report", "Menu_Export_Pdf"})
                QVERIFY2(!w.Find<QAction>(QLatin1String(name))->shortcut().isEmpty(), name);
    }

    // Keys that reach what had no keyboard path: Alt+D the date (Tab still
    // passes it by), F10 and Alt then Down the File menu.
    void Keys_Reach_The_Commands_data()
    {
        QTest::addColumn<QList<QKeyCombination>>("keys");
        QTest::addColumn<QString>("reached");
        QTest::newRow("Alt+D") << QList<QKeyCombination>{Qt::ALT | Qt::Key_D} << u"DTPicker1"_qs;
        QTest::newRow("F10") << QList<QKeyCombination>{QKeyCombination(Qt::Key_F10)} << u"Menu_File"_qs;
        QTest::newRow("Alt, Down") << QList<QKeyCombination>{QKeyCombination(Qt::Key_Alt), QKeyCombination(Qt::Key_Down)}
                                   << u"Menu_File"_qs;
    }
    void Keys_Reach_The_Commands()
    {
        QFETCH(QList<QKeyCombination>, keys);
        QFETCH(QString, reached);
        Main_Window w;
        QVERIFY(Settle(w.main.get()));
        w.main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.main.get()));
        w.Find<QLineEdit>(QStringLiteral("TB_Location"))->setFocus();
        for (const QKeyCombination key : keys)
            QTest::keyClick(QApplication::focusWidget(), key.key(), key.keyboardModifiers());
        QCoreApplication::processEvents();
        if (auto *menu = w.main->findChild<QMenu *>(reached)) {
            QTRY_VERIFY(menu->isVisible());
            menu->close();
        } else {
            QVERIFY(w.Find<QWidget>(reached)->hasFocus());
        }
        QVERIFY(w.Find<QRadioButton>(QStringLiteral("Opt_Pub_Use"))->toolTip().contains(QStringLiteral("Shift+Down")));
    }

    // The title names the job's file and marks it while it is modified; a
    // save that fails leaves the name of the file the job was saved in.
    void Title_Follows_The_File_And_Its_Changes()
    {
        Main_Window w;
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Office.qvl"));
        w.main->Refresh_Status();
        QCOMPARE(w.main->windowTitle(), QStringLiteral("Quorvel[*]"));
        QVERIFY(!w.main->isWindowModified());
        QTest::keyClicks(w.main->TB_Number[0], QStringLiteral("4"));
        w.main->Refresh_Status();
        QVERIFY(w.main->isWindowModified());
        w.prompt.Paths = {path};
        w.main->Save_Job();
        QCOMPARE(w.main->windowTitle(), QStringLiteral("Office.qvl[*] - Quorvel"));
        QVERIFY(!w.main->isWindowModified());
        QTest::keyClicks(w.main->TB_Number[0], QStringLiteral("2"));
        w.prompt.Paths = {dir.filePath(QStringLiteral("no such folder/x.qvl"))};
        w.main->Save_Job();
        QVERIFY(w.prompt.Messages.last().startsWith(QStringLiteral("Bad file name or path")));
        QCOMPARE(w.main->State.Job_File_Name, path);
        QCOMPARE(w.main->windowTitle(), QStringLiteral("Office.qvl[*] - Quorvel"));
        QVERIFY(w.main->isWindowModified());
    }

    // File > Recent Jobs: newest first, eight at most, a missing file left
    // out; an entry opens its job as Open does and the list outlives the run.
    void Recent_Jobs()
    {
        QTemporaryDir dir;
        QStringList paths;
        for (int i = 0; i < 10; ++i) {
            paths << dir.filePath(QStringLiteral("job%1.qvl").arg(i));
            QVERIFY(QFile::copy(Program_Folder() + QStringLiteral("/Sample.qvl"), paths.last()));
        }
        Main_Window w;
        for (const QString &p : std::as_const(paths))
            w.main->Open_Job_File(p);
        QCOMPARE(w.main->Recent_Jobs.size(), 8);
        QCOMPARE(w.main->Recent_Jobs.first(), paths[9]);
        QCOMPARE(w.main->Recent_Jobs.last(), paths[2]);
        QVERIFY(QFile::remove(paths[8]));
        emit w.main->Recent_Menu->aboutToShow();
        const QList<QAction *> entries = w.main->Recent_Menu->actions();
        QCOMPARE(entries.size(), 7);
        QCOMPARE(entries[1]->data().toString(), paths[7]);
        entries[1]->trigger();
        QCOMPARE(w.main->State.Job_File_Name, paths[7]);
        QCOMPARE(w.main->Recent_Jobs.first(), paths[7]);
        // A job dropped on the window opens as Open does.
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(paths[3])});
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(w.main.get(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(w.main.get(), &drop);
        QVERIFY(drop.isAccepted());
        QTRY_COMPARE(w.main->State.Job_File_Name, paths[3]);
        // Closing keeps the list, the window's place and the details' state.
        w.main->Show_Calc_Details();
        w.main->close();
        Settings_Store store(w.dir.filePath(QStringLiteral("Quorvel.ini")));
        QCOMPARE(Read_Recent_Jobs(store), w.main->Recent_Jobs);
        const Window_Memory kept = Read_Window_Memory(store);
        QVERIFY(kept.Details_Open);
        QVERIFY(!kept.Main_Geometry.isEmpty());
    }

    // A file that is not text is refused with the reason, and nothing of
    // the job, its name or its state changes; a text is read.
    void Only_Text_Opens_As_A_Job_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("opens");
        QTest::newRow("sound") << QByteArray("RIFF\x24\x08\x00\x00WAVEfmt \x10\x00\x00\x00", 20) << false;
        QTest::newRow("undefined byte") << QByteArray("\"1.02.0808\"\r\n\"5/1/2024\"\r\n\"A\x81\"\r\n") << false;
        QTest::newRow("text") << QByteArray("\"1.02.0808\"\r\n\"5/1/2024\"\r\n\"Caf\xe9\"\r\n") << true;
    }
    void Only_Text_Opens_As_A_Job()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, opens);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("x.qvl"));
        QVERIFY(Write_File(path, bytes));
        const QString sample = Program_Folder() + QStringLiteral("/Sample.qvl");
        Main_Window w(sample);
        const Sizing_Job before = w.main->State.Job;
        w.prompt.Messages.clear();
        w.prompt.Paths = {path};
        w.main->Open_Job();
        QCOMPARE(w.main->State.Job_File_Name, opens ? path : sample);
        if (opens) {
            QCOMPARE(w.main->State.Job.Location, QStringLiteral("Caf\u00e9"));
            return;
        }
        QCOMPARE(w.prompt.Messages.size(), 1);
        QVERIFY(w.prompt.Messages[0].contains(QStringLiteral("not a job file")));
        QCOMPARE(w.main->State.Job.Location, before.Location);
        QCOMPARE(w.main->State.Job.Fixture_Count, before.Fixture_Count);
        QCOMPARE(w.main->State.Job.Meter_Size_Text, before.Meter_Size_Text);
        QCOMPARE(w.main->State.Flag_Save, 0);
    }

    // Cells pasted from a spreadsheet fill the count boxes from the one
    // pasted into, one cell a box; a single cell is pasted as typed.
    void Pasted_Cells_Fill_The_Counts_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("counts"); // from `row` down
        QTest::newRow("column") << 1 << u"12\n7\r\n3\n"_qs << QStringList{"12", "7", "3"};
        QTest::newRow("block") << 0 << u"12\t5\n7\t1\n3"_qs << QStringList{"12", "7", "3"};
        QTest::newRow("row") << 0 << u"12\t5"_qs << QStringList{"12", "5"};
        QTest::newRow("past the last row") << Grid_Rows - 2 << u"1\n2\n3"_qs << QStringList{"1", "2"};
        QTest::newRow("one cell") << 2 << u"12"_qs << QStringList{"12"};
        QTest::newRow("one cell and its line break") << 2 << u"12\r\n"_qs << QStringList{"12"};
    }
    void Pasted_Cells_Fill_The_Counts()
    {
        QFETCH(int, row);
        QFETCH(QString, text);
        QFETCH(QStringList, counts);
        Main_Window w;
        QVERIFY(Settle(w.main.get()));
        w.main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.main.get()));
        for (int r = 0; r < Grid_Rows; ++r)
            w.main->TB_Number[r]->setEnabled(true); // every row takes a count here
        QGuiApplication::clipboard()->setText(text);
        w.main->TB_Number[row]->setFocus();
        QTest::keySequence(w.main->TB_Number[row], QKeySequence::Paste);
        for (int i = 0; i < counts.size(); ++i)
            QCOMPARE(w.main->TB_Number[row + i]->text(), counts[i]);
        QCOMPARE(w.main->State.Job.Fixture_Count[row], counts[0]);
        if (row + counts.size() < Grid_Rows)
            QVERIFY(w.main->TB_Number[row + counts.size()]->text().isEmpty());
    }

    // What a field will read differently from what it shows, or cannot
    // save, is marked in the field; the input stays as typed.
    void Inputs_Say_What_They_Will_Do_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("tip");
        QTest::newRow("count") << u"TB_Number_0"_qs << u"12"_qs << QString();
        QTest::newRow("negative count") << u"TB_Number_0"_qs << u"-3"_qs << u"negative count"_qs;
        QTest::newRow("decimal comma") << u"TB_Number_1"_qs << u"1,5"_qs << u"Read as 1,"_qs;
        QTest::newRow("flow with unit") << u"TB_Sprinkler"_qs << u"12 gpm"_qs << u"Read as 12,"_qs;
        QTest::newRow("location") << u"TB_Location"_qs << u"Caf\u00e9"_qs << QString();
        QTest::newRow("location, pi") << u"TB_Location"_qs << u"\u03c0 Street"_qs << u"U+03C0"_qs;
    }
    void Inputs_Say_What_They_Will_Do()
    {
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(QString, tip);
        Main_Window w;
        auto *box = w.Find<QLineEdit>(field);
        const QColor plain = box->palette().color(QPalette::Base);
        box->setText(text);
        QCOMPARE(box->text(), text);
        QCOMPARE(box->toolTip().isEmpty(), tip.isEmpty());
        QVERIFY2(box->toolTip().contains(tip), qPrintable(box->toolTip()));
        QCOMPARE(box->palette().color(QPalette::Base) != plain, !tip.isEmpty());
    }

    // Results are greyed with a tip once an input they came from changes,
    // until the next Calculate; a pressure check asked for that cannot run
    // says why under them.
    void Stale_Results_Are_Marked_data()
    {
        QTest::addColumn<QString>("edit");
        QTest::addColumn<bool>("stale");
        QTest::newRow("count") << u"TB_Number_0"_qs << true;
        QTest::newRow("irrigation flow") << u"TB_Sprinkler"_qs << true;
        QTest::newRow("private use") << u"Opt_Pri_Use"_qs << true; // the sample is public use
        QTest::newRow("continuous flow") << u"Opt_Flow_Cont"_qs << true;
        QTest::newRow("location") << u"TB_Location"_qs << false;
    }
    void Stale_Results_Are_Marked()
    {
        QFETCH(QString, edit);
        QFETCH(bool, stale);
        Main_Window w(Program_Folder() + QStringLiteral("/Sample.qvl"));
        auto *meter = w.Find<QLabel>(QStringLiteral("Lab_Meter_Size"));
        QVERIFY(!w.main->Results_Stale());
        QVERIFY(meter->isEnabled());
        if (auto *box = w.main->findChild<QLineEdit *>(edit))
            QTest::keyClicks(box, QStringLiteral("9"));
        else
            QTest::mouseClick(w.Find<QRadioButton>(edit), Qt::LeftButton);
        QCOMPARE(w.main->Results_Stale(), stale);
        QCOMPARE(meter->isEnabled(), !stale);
        QCOMPARE(meter->toolTip().contains(QStringLiteral("press Calculate")), stale);
        w.Calculate();
        QVERIFY(!w.main->Results_Stale() && meter->isEnabled());

        w.main->State.Job.Use_Pressure = true;
        w.main->State.Job.Dia_Plumbing = QString();
        w.Calculate();
        auto *why = w.Find<QLabel>(QStringLiteral("Lab_Pressure_Why"));
        QVERIFY(!why->isHidden());
        QVERIFY2(why->text().contains(QStringLiteral("plumbing diameter")), qPrintable(why->text()));
    }

    // In a light and a dark palette the results, the counts and the
    // comparison's marked row show text that stands out from its ground.
    void Colours_Come_In_Pairs_data()
    {
        QTest::addColumn<bool>("dark");
        QTest::newRow("light") << false;
        QTest::newRow("dark") << true;
    }
    void Colours_Come_In_Pairs()
    {
        QFETCH(bool, dark);
        const QPalette original = QApplication::palette();
        QPalette p = original;
        if (dark) {
            for (auto [role, colour] : {std::pair{QPalette::Window, QColor(45, 45, 48)}, {QPalette::WindowText, Qt::white},
                                        {QPalette::Base, QColor(30, 30, 30)}, {QPalette::Text, Qt::white},
                                        {QPalette::Button, QColor(60, 60, 64)}, {QPalette::ButtonText, Qt::white}})
                p.setColor(role, colour);
        }
        QApplication::setPalette(p);
        const auto contrast = [](const QColor &a, const QColor &b) {
            const auto lum = [](const QColor &c) { return 0.2126 * c.redF() + 0.7152 * c.greenF() + 0.0722 * c.blueF(); };
            const double x = lum(a) + 0.05, y = lum(b) + 0.05;
            return std::max(x, y) / std::min(x, y);
        };
        {
            Main_Window w(Program_Folder() + QStringLiteral("/Sample.qvl"));
            QVERIFY(Settle(w.main.get()));
            w.main->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(w.main.get()));
            const Loose_Value required = w.main->State.Job.Pressure_Fixture;
            w.main->State.Job.Pressure_Fixture = Loose_Value::Of_Number(400); // fails: shown red
            w.Calculate();
            QCOMPARE(w.main->State.Job.Pressure_Color, 255);
            for (QLabel *box : {w.main->Lab_Fixture_Units, w.main->Lab_Meter_Size, w.main->Lab_Pressure_Fixture, w.main->Label2}) {
                const QPalette &q = box->palette();
                const double c = contrast(q.color(box->foregroundRole()), q.color(box->backgroundRole()));
                QVERIFY2(c >= 3, qPrintable(box->objectName() + QString::number(c)));
            }
            for (QLineEdit *box : w.main->TB_Number)
                if (box->isEnabled())
                    QVERIFY2(contrast(box->palette().color(QPalette::Text), box->palette().color(QPalette::Base)) >= 3,
                             qPrintable(box->objectName()));
            w.main->State.Job.Pressure_Fixture = required;
            w.Calculate();
            QTest::keySequence(w.main.get(), QKeySequence(Qt::CTRL | Qt::Key_D));
            QTableWidget *grid = w.main->Calc_Details->Grid_Compare;
            int marked = 0;
            for (int r = 0; r < grid->rowCount(); ++r)
                for (int col = 0; col < grid->columnCount(); ++col) {
                    const QTableWidgetItem *item = grid->item(r, col);
                    const QColor ground = item->background().style() == Qt::NoBrush ? grid->palette().color(QPalette::Base)
                                                                                   : item->background().color();
                    const QColor ink = item->foreground().style() == Qt::NoBrush ? grid->palette().color(QPalette::Text)
                                                                               : item->foreground().color();
                    marked += item->background().style() != Qt::NoBrush;
                    QVERIFY2(contrast(ink, ground) >= 3, qPrintable(item->text()));
                }
            QVERIFY(marked > 0);
        }
        QApplication::setPalette(original);
    }

    // Export PDF starts in the job's folder with the job's name, or in the
    // documents folder for a job never saved, and says where the file went.
    void Exports_Start_At_The_Job_data()
    {
        QTest::addColumn<bool>("saved");
        QTest::newRow("saved job") << true;
        QTest::newRow("new job") << false;
    }
    void Exports_Start_At_The_Job()
    {
        QFETCH(bool, saved);
        QTemporaryDir dir;
        const QString job = dir.filePath(QStringLiteral("Office.qvl"));
        QVERIFY(QFile::copy(Program_Folder() + QStringLiteral("/Sample.qvl"), job));
        Main_Window w(saved ? job : QString());
        w.prompt.Paths = {dir.filePath(QStringLiteral("out.pdf"))};
        QVERIFY(w.main->Export_Pdf());
        QCOMPARE(w.prompt.Dialog_Folders.last(),
                 saved ? dir.path() : QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
        QCOMPARE(w.prompt.Dialog_Names.last(), saved ? u"Office.pdf"_qs : u"Quorvel report.pdf"_qs);
        QVERIFY(w.main->statusBar()->currentMessage().contains(dir.filePath(QStringLiteral("out.pdf"))));
    }

    void Window_Fits_A_Small_Screen()
    {
        Main_Window w;
        const QSize hint = w.main->sizeHint();
        QVERIFY2(hint.width() <= 1366 && hint.height() <= 740,
                 qPrintable(QStringLiteral("%1 x %2").arg(hint.width()).arg(hint.height())));
        const QSize minimum = w.main->minimumSizeHint();
        QVERIFY(minimum.width() <= 1366 && minimum.height() <= 740);
    }
};

QTEST_MAIN(Test_Ui)
#include "tst_ui.moc"
