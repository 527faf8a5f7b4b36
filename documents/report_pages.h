#pragma once

#include "engineering_report.h"

#include <QImage>
#include <QRectF>
#include <QString>
#include <QVector>

class QPagedPaintDevice;
class QPainter;

// The typeset pages of the engineering report and the pressure profile
// picture (QtGui, no widgets): the window, the printer, the PDF export and
// the command line all draw through these.

// The pressure profile in area: the stations from the main to the
// controlling fixture left to right, the pressure as a line through them,
// the required pressure as a dashed line, each drop labelled with its cause
// and psi. No stations: a line saying so.
void Paint_Pressure_Profile(QPainter &painter, const QRectF &area, const QVector<Profile_Station> &stations,
                            double required_psi);

// The profile drawn on a white picture of the given size in pixels.
QImage Pressure_Profile_Image(const QVector<Profile_Station> &stations, double required_psi, const QSize &size);

// Saves the profile picture as PNG, replacing path as a whole.
bool Save_Profile_Png(const Calculation_Record &record, const QString &path, const QSize &size, QString *error);

// Typesets the report onto a paged device (a printer or a PDF writer).
void Print_Engineering_Report(const Calculation_Record &record, QPagedPaintDevice &device);

// Writes the report as a PDF file, replacing path as a whole: the earlier
// file stays when the new one cannot be written completely.
bool Write_Engineering_Pdf(const Calculation_Record &record, const QString &path, QString *error);
