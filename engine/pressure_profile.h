#pragma once
#include "sizing_job.h"

#include <QString>
#include <QVector>

// The pressure from the water main to the controlling fixture, station by
// station in the order water passes them (the meter before or after the
// second service stretch depending on where it stands).
struct Profile_Station {
    QString Name;    // where: "Main", "After meter", "At fixture", ...
    QString Cause;   // what lowered the pressure on the way here; empty at the main
    double Drop = 0; // psi lost on the way here
    double Pressure = 0; // psi at this station
};

// Empty when the job has no pressure evaluation.
QVector<Profile_Station> Pressure_Profile(const Sizing_Job &job);
