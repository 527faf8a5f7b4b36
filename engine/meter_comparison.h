#pragma once
#include "calculate.h"
#include "sizing_job.h"
#include "tables.h"

#include <QVector>

// Every meter of the list evaluated against the same job, on its own:
// the flow check on the job's basis and, when the job asks for a pressure
// evaluation and its pipes are described, the pressure chain with that
// meter and no up-sizing.
struct Meter_Comparison_Row {
    int Index = 0; // 1-based row of the meter list
    QString Size_Label, Make, Model;
    double Limit_Gpm = 0;
    bool Flow_Ok = false;
    bool Pressure_Evaluated = false; // the pressure fields below hold numbers
    double Loss_Meter = 0;           // psi at the design flow
    double Pressure_After_Meter = 0; // psi
    double Pressure_At_Fixture = 0;  // psi
    bool Pressure_Ok = false;
};

struct Meter_Comparison {
    QVector<Meter_Comparison_Row> Rows;
    int Smallest_Passing = 0; // index of the first row passing flow and pressure; 0: none
    QString Why_Different;    // why the job's meter is not the smallest passing one; empty when it is
};

// `job` holds the results of a Calculate (design flow and inputs); it is not changed.
Meter_Comparison Compare_Meters(const Sizing_Job &job, const Meter_List &meters);
