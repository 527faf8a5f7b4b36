// The main window's commands around the engineering report: Calculation
// Details, File > Print... and File > Export PDF...
#include "frm_main.h"

#include "frm_calc_details.h"
#include "report_pages.h"

#include <QApplication>
#include <QFileInfo>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QShortcut>
#include <QScreen>
#include <QStatusBar>
#include <QTabWidget>

namespace {

// The least room the details are readable in (the comparison table and the
// profile); the largest they are ever given.
constexpr QSize Details_Least(640, 400);
constexpr QSize Details_Most(1000, 720);

} // namespace

// Keeps the calculation for the details, the printer and the PDF. The
// details follow every Calculate while they are shown; Calculate never
// opens them (they would cover the results).
void Frm_Main::Keep_Calculation(const Calc_Outcome &outcome, bool open_details)
{
    Last_Calculation = Record_Calculation(State, outcome);
    Set_Results_Stale(false);
    if (open_details) {
        Show_Calc_Details();
    } else if (Calc_Details_Shown()) {
        Calc_Details->Show_Record(Last_Calculation);
        if (Details_Tabs) // the new results come to the front
            Details_Tabs->setCurrentIndex(0);
    }
}

bool Frm_Main::Calc_Details_Shown() const
{
    return Calc_Details && (Details_Tabs || Calc_Details->isVisible());
}

QRect Frm_Main::Calc_Details_Room() const
{
    const QScreen *shown_on = screen();
    if (!shown_on)
        return {};
    const QRect avail = shown_on->availableGeometry();
    const QRect main = frameGeometry();
    // The details' frame is taken to be as wide as the main window's.
    const QSize frame = main.size() - size();
    const QSize least = Details_Least + frame, most = Details_Most + frame;
    const int right = avail.right() - main.right(), left = main.left() - avail.left();
    const int below = avail.bottom() - main.bottom(), above = main.top() - avail.top();
    const int high = std::min(std::max(main.height(), least.height()), std::min(avail.height(), most.height()));
    const int top = std::clamp(main.top(), avail.top(), avail.bottom() + 1 - high);
    if (right >= least.width())
        return {main.right() + 1, top, std::min(right, most.width()), high};
    if (left >= least.width()) {
        const int wide = std::min(left, most.width());
        return {main.left() - wide, top, wide, high};
    }
    const int wide = std::min(std::max(main.width(), least.width()), std::min(avail.width(), most.width()));
    const int from = std::clamp(main.left(), avail.left(), avail.right() + 1 - wide);
    if (below >= least.height())
        return {from, main.bottom() + 1, wide, std::min(below, most.height())};
    if (above >= least.height()) {
        const int tall = std::min(above, most.height());
        return {from, main.top() - tall, wide, tall};
    }
    return {};
}

// Beside or below the main window as a window of its own where the screen
// has room, else as a tab of the main window ("Job" and "Calculation
// Details"), so that they never stand over the results.
void Frm_Main::Place_Calc_Details()
{
    const QRect room = Calc_Details_Room();
    if (room.isEmpty()) {
        if (!Details_Tabs) {
            Calc_Details->hide();
            QWidget *job = takeCentralWidget();
            Details_Tabs = new QTabWidget;
            Details_Tabs->setObjectName(QStringLiteral("Details_Tabs"));
            Details_Tabs->setDocumentMode(true);
            Details_Tabs->addTab(job, QStringLiteral("Job"));
            Details_Tabs->addTab(Calc_Details, QStringLiteral("Calculation Details"));
            setCentralWidget(Details_Tabs);
            Details_Tabs->show();
            for (QShortcut *own : Calc_Details->findChildren<QShortcut *>(QStringLiteral("Details_Key")))
                own->setEnabled(false);
        }
        Details_Tabs->setCurrentWidget(Calc_Details);
        Calc_Details->show();
        return;
    }
    if (Details_Tabs)
        Hide_Calc_Details();
    for (QShortcut *own : Calc_Details->findChildren<QShortcut *>(QStringLiteral("Details_Key")))
        own->setEnabled(true);
    if (!Calc_Details->isVisible()) {
        // Where it was last, unless the main window now stands there.
        const QRect frame_to_client(geometry().topLeft() - frameGeometry().topLeft(),
                                    frameGeometry().bottomRight() - geometry().bottomRight());
        const QRect client = room.adjusted(frame_to_client.left(), frame_to_client.top(), -frame_to_client.width(),
                                           -frame_to_client.height());
        if (details_geometry_.isEmpty() || !Calc_Details->restoreGeometry(details_geometry_)
            || Calc_Details->geometry().intersects(frameGeometry())
            || !screen()->availableGeometry().contains(Calc_Details->geometry()))
            Calc_Details->setGeometry(client);
    }
    Calc_Details->show();
    Calc_Details->raise();
    Calc_Details->activateWindow();
}

void Frm_Main::Show_Calc_Details()
{
    // Nothing calculated yet: calculate first (not when the details open
    // again at startup, as they were left; the job keeps the focus then).
    const bool restoring = details_remembered_open_;
    if (Last_Calculation.Empty() && !restoring)
        Calculate();
    details_remembered_open_ = false;
    if (!Calc_Details) {
        Calc_Details = new Frm_Calc_Details(*prompt_, this);
        // Escape and Close: the details go, as a window or as a tab.
        connect(Calc_Details, &QDialog::finished, this, [this] { Hide_Calc_Details(); });
        connect(Calc_Details, &Frm_Calc_Details::Closed, this, [this] { Hide_Calc_Details(); });
        connect(Calc_Details, &Frm_Calc_Details::Written, this, [this](const QString &what) {
            statusBar()->showMessage(what, 20000);
        });
        // Ctrl+D and F9 work in the details' own window too (as a tab, the
        // main window's keys are theirs).
        for (const QKeySequence &key : {QKeySequence(Qt::CTRL | Qt::Key_D), QKeySequence(Qt::Key_F9)}) {
            auto *own = new QShortcut(key, Calc_Details);
            own->setObjectName(QStringLiteral("Details_Key"));
            connect(own, &QShortcut::activated, this, [this, key] {
                key[0].key() == Qt::Key_F9 ? Calculate() : Toggle_Calc_Details();
            });
        }
    }
    if (Last_Calculation.Empty())
        Calc_Details->Show_Nothing();
    else
        Calc_Details->Show_Record(Last_Calculation);
    Place_Calc_Details();
    if (restoring) {
        if (Details_Tabs)
            Details_Tabs->setCurrentIndex(0);
        activateWindow();
        return;
    }
    Calc_Details->Tab_Details->setFocus(Qt::ShortcutFocusReason);
}

void Frm_Main::Hide_Calc_Details()
{
    if (!Calc_Details)
        return;
    if (Details_Tabs) {
        const bool had_focus = Calc_Details->isAncestorOf(QApplication::focusWidget());
        QWidget *job = Details_Tabs->widget(0);
        Details_Tabs->removeTab(1);
        Calc_Details->hide();
        Calc_Details->setParent(this, Calc_Details->windowFlags() | Qt::Dialog);
        Calc_Details->hide();
        Details_Tabs->removeTab(0);
        QWidget *tabs = takeCentralWidget();
        setCentralWidget(job);
        job->show();
        tabs->deleteLater();
        Details_Tabs = nullptr;
        if (had_focus)
            Button_Calc->setFocus(Qt::OtherFocusReason);
        return;
    }
    details_geometry_ = Calc_Details->saveGeometry(); // also after Escape has hidden it
    Calc_Details->hide();
    activateWindow();
}

void Frm_Main::Toggle_Calc_Details()
{
    const QWidget *focus = QApplication::focusWidget();
    const bool in_details = Calc_Details && focus && Calc_Details->isAncestorOf(focus);
    if (Calc_Details_Shown() && in_details && (!Details_Tabs || Details_Tabs->currentWidget() == Calc_Details))
        Hide_Calc_Details();
    else
        Show_Calc_Details();
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
    const QString where = printer.outputFileName().isEmpty() ? printer.printerName() : printer.outputFileName();
    statusBar()->showMessage(where.isEmpty() ? QStringLiteral("The report was sent to the printer.")
                                             : QStringLiteral("The report was sent to %1.").arg(where),
                             20000);
    return true;
}

bool Frm_Main::Export_Pdf()
{
    Calculate();
    const QString path = prompt_->Choose_Save_File(Export_Folder(State), Export_Name(State) + QStringLiteral(".pdf"),
                                                   QStringLiteral("PDF Files (*.pdf)|*.pdf|"), 0);
    if (path.isEmpty())
        return false;
    QString error;
    if (!Write_Engineering_Pdf(Last_Calculation, path, &error)) {
        prompt_->Show_Message(QStringLiteral("The report could not be written to %1: %2").arg(path, error));
        return false;
    }
    statusBar()->showMessage(QStringLiteral("Report written to %1").arg(QFileInfo(path).absoluteFilePath()), 20000);
    return true;
}
