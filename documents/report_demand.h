#pragma once

#include "calculate.h"
#include "engineering_report.h"

#include <QString>
#include <QVector>

// The Water Demand Calculator's steps of a calculation, read back from the
// trace Calculate recorded: what the Demand Methods tab, the report's
// section and the command line's JSON show.
struct Wdc_Steps {
    bool Present = false;        // the method applied and its steps were recorded
    QVector<Trace_Step> Types;   // Wdc_Type: type, n, p, q
    QVector<Trace_Step> Uncovered; // Wdc_Uncovered_Row: row, count; result the flow
    Trace_Step Moments;          // mu, sigma^2, P0, sum n q; result H
    Trace_Step Q99;              // H, mu, sigma^2, P0, sum n q, procedure; result Q99
    Trace_Step Design;           // Q99, Qunc, Qirr, QA; result the design flow
    Wdc_Procedure Procedure() const { return Wdc_Procedure(int(Q99.Inputs[5])); }
};
Wdc_Steps Wdc_Steps_Of(const QVector<Trace_Step> &trace);

// The name of a demand data type (1-based, as the trace gives it).
QString Wdc_Type_Name(const Wdc_Table &data, double type);

// Demand_Methods_Html (engineering_report.h) is written in report_demand.cpp.
