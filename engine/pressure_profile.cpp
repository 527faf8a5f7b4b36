#include "pressure_profile.h"

namespace {
constexpr double Feet_Per_Psi = 2.31;
}

QVector<Profile_Station> Pressure_Profile(const Sizing_Job &job)
{
    QVector<Profile_Station> out;
    if (!job.Pressure_Evaluated)
        return out;
    double p = job.Pressure_Min_Main.Number();
    out << Profile_Station{QStringLiteral("Main"), QString(), 0, p};
    const auto add = [&](const char *name, const char *cause, double drop) {
        p -= drop;
        out << Profile_Station{QString::fromLatin1(name), QString::fromLatin1(cause), drop, p};
    };
    const double rise_to_meter = job.Elev_Main_Meter.Number() / Feet_Per_Psi;
    add("Curb box", "Service line, main to curb box", job.Loss_Service_1);
    if (job.Meter_Inside()) {
        add("Before meter", "Service line, curb box to meter", job.Loss_Service_2);
        add("After meter", "Meter", job.Loss_Meter);
        add("Meter elevation", "Elevation, main to meter", rise_to_meter);
    } else {
        add("After meter", "Meter", job.Loss_Meter);
        add("Meter elevation", "Elevation, main to meter", rise_to_meter);
        add("Building", "Service line, meter to building", job.Loss_Service_2);
    }
    add("Plumbing", "Building plumbing, meter to fixture", job.Loss_Plumbing);
    add("After treatment", "Treatment", job.Pressure_Treatment.Number());
    add("At fixture", "Elevation, meter to fixture", job.Elev_Meter_Fixture.Number() / Feet_Per_Psi);
    return out;
}
