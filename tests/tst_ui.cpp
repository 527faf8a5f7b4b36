// The main window: its start, the fixture grid, the results and the status
// bar, its commands, and its layout on small screens and with long texts.
#include "elided_label.h"
#include "frm_main.h"
#include "window_support.h"
#include "frm_options.h"
#include "frm_pressure.h"
#include "number_format.h"
#include "frm_update.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
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
        QCOMPARE(w.main->windowTitle(), QStringLiteral("Quorvel"));
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
