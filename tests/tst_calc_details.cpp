#include "frm_calc_details.h"
#include "frm_main.h"
#include "window_support.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QToolBar>
#include <QtTest>

namespace {

// The main window opens the shipped sample job.
QString Sample_Job()
{
    return Program_Folder() + QStringLiteral("/Sample.qvl");
}

} // namespace

class Test_Calc_Details : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        for (const char *file : {"/Sample.qvl", "/Table-1.dat", "/Table-3.dat", "/AWWA-Standard.mtr"}) {
            if (!QFile::exists(Program_Folder() + QLatin1String(file)))
                QFAIL(qPrintable(QStringLiteral("missing beside the test: %1").arg(QLatin1String(file))));
        }
    }

    // The details open on the four tabs; every number shown is the one of
    // the main window's last calculation.
    void Details_Show_The_Last_Calculation()
    {
        Main_Window w(Sample_Job());
        QVERIFY(!w.main->findChild<Frm_Calc_Details *>());
        w.Calculate();
        QVERIFY(!w.main->findChild<Frm_Calc_Details *>()); // Calculate opens no window
        w.main->Show_Calc_Details();
        auto *details = w.main->findChild<Frm_Calc_Details *>(QStringLiteral("Frm_Calc_Details"));
        QVERIFY(details);
        QVERIFY(details->isVisible());
        QCOMPARE(details->Tab_Details->count(), 4);
        QCOMPARE(details->Tab_Details->tabText(0), QStringLiteral("Steps"));
        QCOMPARE(details->Tab_Details->tabText(1), QStringLiteral("Pressure Profile"));
        QCOMPARE(details->Tab_Details->tabText(2), QStringLiteral("Meter Comparison"));
        QCOMPARE(details->Tab_Details->tabText(3), QStringLiteral("Demand Methods"));

        const Calculation_Record &record = w.main->Last_Calculation;
        QCOMPARE(record.State.Job.Design_Flow, w.main->State.Job.Design_Flow);
        QCOMPARE(record.State.Job.Meter_Size_Text, w.main->State.Job.Meter_Size_Text);
        const QString steps = details->Text_Steps->toPlainText();
        QVERIFY(!record.Outcome.Trace.isEmpty()); // the window asks Calculate for the steps
        QCOMPARE(record.Steps.size(), record.Outcome.Trace.size());
        for (const Step_Text &s : record.Steps) {
            if (s.Evaluation == 0 || s.Key == QStringLiteral("upsize"))
                continue;
            const QString shown = s.Formula.section(QStringLiteral(" = "), 0, 0) + QStringLiteral(" = ")
                                  + Report_Number(s.Result, s.Unit);
            QVERIFY2(steps.contains(shown), qPrintable(shown));
        }
        QVERIFY(steps.contains(w.main->State.Job.Design_Flow_Text));
        QVERIFY(steps.contains(QStringLiteral("Up-sizing step 1")));

        // The comparison: one row per meter of the list, the smallest passing marked.
        QTableWidget *grid = details->Grid_Compare;
        QCOMPARE(grid->rowCount(), w.main->State.Meters.Count());
        const Meter_Comparison &c = record.Comparison;
        QVERIFY(c.Smallest_Passing > 0);
        for (int r = 0; r < grid->rowCount(); ++r) {
            const Meter_Comparison_Row &m = c.Rows[r];
            QCOMPARE(grid->item(r, Frm_Calc_Details::Col_Size)->text(), m.Size_Label);
            QCOMPARE(grid->item(r, Frm_Calc_Details::Col_At_Fixture)->text(),
                     Report_Number(m.Pressure_At_Fixture, QStringLiteral("psi")));
            const bool smallest = m.Index == c.Smallest_Passing;
            QCOMPARE(grid->item(r, Frm_Calc_Details::Col_Mark)->text().contains(QStringLiteral("Smallest passing")),
                     smallest);
            QCOMPARE(grid->item(r, Frm_Calc_Details::Col_Size)->font().bold(), smallest);
        }
        QVERIFY(details->Lab_Compare_Why->text().startsWith(QStringLiteral("Smallest meter passing: #%1")
                                                                .arg(c.Smallest_Passing)));

        // The profile tab draws the stations and the required line.
        details->Tab_Details->setCurrentIndex(1);
        const QImage shot = details->Pic_Profile->grab().toImage();
        int red = 0, blue = 0;
        for (int y = 0; y < shot.height(); ++y) {
            for (int x = 0; x < shot.width(); ++x) {
                const QColor p = shot.pixelColor(x, y);
                red += p.red() > 180 && p.green() < 90 && p.blue() < 90;
                blue += p.blue() > 140 && p.red() < 80;
            }
        }
        QVERIFY(red > 100);
        QVERIFY(blue > 100);
    }

    // A new Calculate refreshes the open window; with up-sizing off, the
    // comparison says why the job's meter is not the smallest passing one.
    void New_Calculate_Refreshes()
    {
        Main_Window w(Sample_Job());
        w.Calculate();
        w.main->Show_Calc_Details();
        auto *details = w.main->findChild<Frm_Calc_Details *>();
        const QString before = details->Text_Steps->toPlainText();
        QVERIFY(details->Lab_Compare_Why->text().indexOf(QStringLiteral("settled on")) < 0);

        w.main->State.Job.No_Upsize = Loose_Value::Of_Number(1);
        w.Calculate();
        QCOMPARE(w.main->findChildren<Frm_Calc_Details *>().size(), 1);
        QVERIFY(w.main->State.Job.Pressure_Failed);
        QVERIFY(details->Text_Steps->toPlainText() != before);
        QVERIFY(!details->Text_Steps->toPlainText().contains(QStringLiteral("Up-sizing step")));
        QVERIFY2(details->Lab_Compare_Why->text().endsWith(QStringLiteral("up-sizing is turned off.")),
                 qPrintable(details->Lab_Compare_Why->text()));
        const int job_row = w.main->State.Job.Meter_Index - 1;
        QVERIFY(details->Grid_Compare->item(job_row, Frm_Calc_Details::Col_Mark)->text().contains(QStringLiteral("Job's meter")));
        QCOMPARE(details->Grid_Compare->item(job_row, Frm_Calc_Details::Col_Pressure)->text(), QStringLiteral("fail"));

        // Print Preview calculates too: an open window follows it, a closed
        // one stays closed.
        w.main->State.Job.No_Upsize = Loose_Value::Of_Number(0);
        w.main->Print_Preview();
        QCOMPARE(details->Text_Steps->toPlainText(), before);
        details->close();
        w.main->State.Job.No_Upsize = Loose_Value::Of_Number(1);
        w.main->Print_Preview();
        QVERIFY(!details->isVisible());
        QVERIFY(w.main->Last_Calculation.State.Job.Pressure_Failed);

        // Open, they follow every Calculate; closed, Calculate leaves them closed.
        w.main->Show_Calc_Details();
        w.main->State.Job.Fixture_Count[0] = QStringLiteral("9");
        w.Calculate();
        QCOMPARE(details->Record().State.Job.Fixture_Units, w.main->State.Job.Fixture_Units);
        details->close();
        QVERIFY(!w.main->Calc_Details_Shown());
        w.Calculate();
        QVERIFY(!w.main->Calc_Details_Shown());
    }

    void Menu_And_Toolbar_Entries()
    {
        Main_Window w(Sample_Job());
        auto *menu = w.main->findChild<QAction *>(QStringLiteral("Menu_Calc_Details"));
        auto *button = w.main->findChild<QAction *>(QStringLiteral("Toolbar_Details"));
        QVERIFY(menu && button);
        QCOMPARE(button->toolTip(), QStringLiteral("Calculation Details"));
        QVERIFY(!button->icon().isNull());
        // Before any Calculate the entry calculates first.
        button->trigger();
        auto *details = w.main->findChild<Frm_Calc_Details *>();
        QVERIFY(details && details->isVisible());
        QVERIFY(!w.main->Last_Calculation.Empty());
        details->close();
        menu->trigger();
        QVERIFY(details->isVisible());
        QVERIFY(w.main->findChild<QAction *>(QStringLiteral("Menu_Print_Report")));
        QVERIFY(w.main->findChild<QAction *>(QStringLiteral("Menu_Export_Pdf")));
    }

    void Export_Pdf_Through_The_Prompt()
    {
        Main_Window w(Sample_Job());
        QTemporaryDir out;
        const QString pdf = out.filePath(QStringLiteral("job.pdf"));
        w.prompt.Paths << pdf;
        w.main->findChild<QAction *>(QStringLiteral("Menu_Export_Pdf"))->trigger();
        QCOMPARE(w.prompt.Dialog_Names, QStringList{QStringLiteral("Sample.pdf")});
        QCOMPARE(Read_File(pdf).left(5), QByteArray("%PDF-"));

        // Cancelled: nothing written. Unwritable: the prompt says why.
        w.prompt.Paths << QString();
        QVERIFY(!w.main->Export_Pdf());
        const QString nowhere = out.filePath(QStringLiteral("no/such/folder/job.pdf"));
        w.prompt.Paths << nowhere;
        w.prompt.Messages.clear();
        QVERIFY(!w.main->Export_Pdf());
        QVERIFY(!QFile::exists(nowhere));
        QVERIFY(!w.prompt.Messages.isEmpty());
        QVERIFY(w.prompt.Messages.last().startsWith(QStringLiteral("The report could not be written to ") + nowhere));
    }

    void Print_Through_The_Dialog_Seam()
    {
        Main_Window w(Sample_Job());
        QTemporaryDir out;
        const QString printed = out.filePath(QStringLiteral("printed.pdf"));
        int asked = 0;
        w.print_dialog = [&](QPrinter &printer) {
            ++asked;
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(printed);
            return true;
        };
        w.main->findChild<QAction *>(QStringLiteral("Menu_Print_Report"))->trigger();
        QCOMPARE(asked, 1);
        QCOMPARE(Read_File(printed).left(5), QByteArray("%PDF-"));
        QVERIFY(QFileInfo(printed).size() > 20000); // pages with the profile picture

        // Cancelled in the dialog: nothing printed.
        QFile::remove(printed);
        w.print_dialog = [&](QPrinter &printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(printed);
            return false;
        };
        QVERIFY(!w.main->Print_Report());
        QVERIFY(!QFile::exists(printed));
    }

    void Profile_Png_Export()
    {
        Main_Window w(Sample_Job());
        w.Calculate();
        w.main->Show_Calc_Details();
        auto *details = w.main->findChild<Frm_Calc_Details *>();
        QTemporaryDir out;
        const QString png = out.filePath(QStringLiteral("profile.png"));
        w.prompt.Paths << png;
        QTest::mouseClick(details->Button_Export_Png, Qt::LeftButton);
        const QImage read(png);
        QCOMPARE(read.size(), QSize(1600, 1000));

        // A job without a pressure evaluation has no picture to export.
        w.main->State.Job.Use_Pressure = false;
        w.Calculate();
        QVERIFY(!details->Button_Export_Png->isEnabled());
        QVERIFY(details->Text_Steps->toPlainText().contains(QStringLiteral("No pressure evaluation")));
        QVERIFY(details->Grid_Compare->item(0, Frm_Calc_Details::Col_Pressure)->text() == QStringLiteral("n/a"));
    }
};

QTEST_MAIN(Test_Calc_Details)
#include "tst_calc_details.moc"
