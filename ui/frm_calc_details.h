#pragma once

#include "engineering_report.h"

#include <QDialog>
#include <QWidget>

class Prompt;
class QLabel;
class QPushButton;
class QTabWidget;
class QTableWidget;
class QTextBrowser;

// The folder an export dialog starts in: that of the job file, or the
// user's documents folder when the job has none.
QString Export_Folder(const Program_State &state);
// The job file's name without ".qvl"; "Quorvel report" for a new job.
QString Export_Name(const Program_State &state);

// A red that reads on the background: darker on light, lighter on dark.
QColor Readable_Red(const QColor &background);

// The pressure profile of a calculation, drawn to the widget's size.
class Profile_View : public QWidget {
    Q_OBJECT
public:
    explicit Profile_View(QWidget *parent = nullptr);
    void Show_Profile(const QVector<Profile_Station> &stations, double required_psi);
    QSize sizeHint() const override { return {760, 460}; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QVector<Profile_Station> stations_;
    double required_ = 0;
};

// Calculation Details: how the last Calculate reached its result. Four
// tabs: the steps with their formulas and numbers, the pressure profile,
// every meter of the list against the job, and the two demand methods
// side by side. It shows a record; the main
// window hands it a new one after each Calculate.
class Frm_Calc_Details : public QDialog {
    Q_OBJECT
public:
    explicit Frm_Calc_Details(Prompt &prompt, QWidget *parent = nullptr);

    void Show_Record(const Calculation_Record &record);
    // Before any Calculate: says how to get one.
    void Show_Nothing();
    const Calculation_Record &Record() const { return record_; }

    // Asks for a file name through the prompt and saves the profile picture
    // there. False when cancelled or not written (the prompt says why).
    bool Export_Profile_Png();

    QTabWidget *Tab_Details = nullptr;
    QTextBrowser *Text_Steps = nullptr;
    Profile_View *Pic_Profile = nullptr;
    QTableWidget *Grid_Compare = nullptr;
    QLabel *Lab_Compare_Why = nullptr;
    QTextBrowser *Text_Demand = nullptr; // the Demand Methods tab
    QPushButton *Button_Export_Png = nullptr;
    QPushButton *Button_Close = nullptr;

    // The comparison table's columns.
signals:
    // A file was written: the message says where.
    void Written(const QString &message);
    // Closed, also while hidden behind another tab.
    void Closed();

protected:
    void closeEvent(QCloseEvent *event) override;

public:
    enum Column { Col_Index, Col_Size, Col_Make, Col_Model, Col_Rating, Col_Flow, Col_Loss, Col_After_Meter,
                  Col_At_Fixture, Col_Pressure, Col_Mark, Column_Count };

private:
    void Fill_Comparison();

    Prompt &prompt_;
    Calculation_Record record_;
};
