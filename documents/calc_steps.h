#pragma once

#include "calculate.h"

#include <QString>
#include <QVector>

// The steps Calculate recorded, in words: each step with its title, its
// formula, its inputs named and with their units, and its result's unit.
// The engine records numbers only; this is where they are given words, for
// the engineering report, the Calculation Details window and the command
// line's JSON alike.
struct Step_Input {
    QString Name;
    double Value = 0;
    QString Unit;
};
struct Step_Text {
    QString Key;     // stable name: "fixture_units", "design_flow", "meter_choice", "loss_meter", ...
    QString Title;   // in words
    QString Formula; // in symbols
    QVector<Step_Input> Inputs;
    double Result = 0;
    QString Unit;
    int Evaluation = 0; // pressure evaluation it belongs to (1 to 3), 0 outside the pressure chain
};

// The stable name of a step kind, as the JSON gives it.
QString Step_Key_Name(Step_Key key);

// table_in_force: the fixture table the job was calculated with, whose
// descriptions (in the job's description mode) title the fixture rows.
Step_Text Describe_Step(const Trace_Step &step, const Sizing_Job &job, const Fixture_Table &table_in_force);
QVector<Step_Text> Describe_Trace(const QVector<Trace_Step> &trace, const Sizing_Job &job,
                                  const Fixture_Table &table_in_force);
