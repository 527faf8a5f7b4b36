// The main window's commands around the engineering report: Calculation
// Details, File > Print... and File > Export PDF...
#include "frm_main.h"

#include "frm_calc_details.h"
#include "report_pages.h"

#include <QFileInfo>
#include <QPrintDialog>
#include <QPrinter>

void Frm_Main::Keep_Calculation(const Calc_Outcome &outcome, bool open_details)
{
    Last_Calculation = Record_Calculation(State, outcome);
    if (open_details || (Calc_Details && Calc_Details->isVisible()))
        Show_Calc_Details();
}

void Frm_Main::Show_Calc_Details()
{
    // Nothing calculated yet: calculate, which shows the details then.
    if (Last_Calculation.Empty()) {
        Calculate();
        return;
    }
    if (!Calc_Details) {
        Calc_Details = new Frm_Calc_Details(*prompt_, this);
        // It follows the job beside the main window, which keeps the focus.
        Calc_Details->setAttribute(Qt::WA_ShowWithoutActivating);
    }
    Calc_Details->Show_Record(Last_Calculation);
    Calc_Details->show();
    Calc_Details->raise();
}

bool Frm_Main::Print_Report()
{
    Calculate();
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("Quorvel - ") + State.Job.Location);
    const bool accepted = options_.Print_Dialog ? options_.Print_Dialog(printer) : [&] {
        QPrintDialog dialog(&printer, this);
        return dialog.exec() == QDialog::Accepted;
    }();
    if (!accepted)
        return false;
    Print_Engineering_Report(Last_Calculation, printer);
    return true;
}

bool Frm_Main::Export_Pdf()
{
    Calculate();
    QString name = QFileInfo(State.Job_File_Name).fileName();
    if (name.endsWith(QStringLiteral(".qvl"), Qt::CaseInsensitive))
        name.chop(4);
    if (name.isEmpty())
        name = QStringLiteral("Quorvel report");
    const QString path = prompt_->Choose_Save_File(Export_Folder(State), name + QStringLiteral(".pdf"),
                                                   QStringLiteral("PDF Files (*.pdf)|*.pdf|"), 0);
    if (path.isEmpty())
        return false;
    QString error;
    if (!Write_Engineering_Pdf(Last_Calculation, path, &error)) {
        prompt_->Show_Message(QStringLiteral("The report could not be written to %1: %2").arg(path, error));
        return false;
    }
    return true;
}
