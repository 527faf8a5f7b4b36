#pragma once

#include "calc_steps.h"
#include "calculate.h"
#include "meter_comparison.h"
#include "pressure_profile.h"
#include "program_state.h"

#include <QDate>
#include <QString>
#include <QVector>

// Everything the engineering report and the Calculation Details window show
// of one Calculate: the job and tables as they were calculated, the steps
// Calculate recorded in words, every meter of the list against the job and
// the pressure stations. Taken once after Calculate; the views only read it.
struct Calculation_Record {
    Program_State State;
    Calc_Outcome Outcome;
    QVector<Step_Text> Steps;  // Outcome.Trace described
    QStringList Read_Messages; // of reading the job file, when it was read for this calculation
    Meter_Comparison Comparison;
    QVector<Profile_Station> Profile;
    bool Calculated = false;
    bool Empty() const { return !Calculated; }
};

// state: after Calculate, with outcome its result, its trace recorded.
Calculation_Record Record_Calculation(const Program_State &state, const Calc_Outcome &outcome);

// Numbers as the engineering report prints them: pressures, flows and
// friction per 100 ft with two decimals, diameters with up to three, other
// inputs (lengths, counts, fixture units, C factors) with up to three and
// no trailing zeros.
QString Report_Number(double value, const QString &unit);

// The steps of the calculation as HTML: the fixture table, the demand step,
// the meter choice, the pressure chain of each evaluation with its formulas
// and numbers, the up-sizing steps and the result.
QString Calculation_Steps_Html(const Calculation_Record &record);

// The meter comparison as an HTML table, the smallest passing meter marked,
// with the reason when it is not the job's meter.
QString Meter_Comparison_Html(const Calculation_Record &record);

// The pressure stations as an HTML table.
QString Profile_Table_Html(const Calculation_Record &record);

// The two demand methods side by side, the Water Demand Calculator's inputs
// per fixture type, its statistics, the procedure and why, the additions
// and the rows it does not cover (report_demand.cpp).
QString Demand_Methods_Html(const Calculation_Record &record, const QString &heading = QStringLiteral("Demand methods"));

// The whole engineering report: title block with the date of issue, the
// sign-off block and seal box, the calculation steps with the design inputs
// of the pressure check, the pressure profile picture (an <img> of
// profile_image_name, which the caller provides, profile_width pixels of
// 1/96 inch wide), the stations, the comparison, the assumptions and limits
// and the note. Every table starts with a <thead> row.
QString Engineering_Report_Html(const Calculation_Record &record, const QString &profile_image_name,
                                int profile_width = 640, const QDate &issued = QDate::currentDate());

// The job as the report's running header names it: the job file's name, or
// "unsaved job".
QString Report_Project_Name(const Calculation_Record &record);
