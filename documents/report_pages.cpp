#include "report_pages.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextDocument>
#include <QUrl>

#include <algorithm>
#include <cmath>

namespace {

const QColor Line_Color(0x1f, 0x5f, 0xa8);
const QColor Short_Color(0xc6, 0x28, 0x28);
const QColor Grid_Color(0xdd, 0xdd, 0xdd);
const QColor Text_Color(0x22, 0x22, 0x22);

// A step between grid lines that gives about five lines over the range.
double Grid_Step(double range)
{
    const double raw = range / 5;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    for (double f : {1.0, 2.0, 5.0, 10.0}) {
        if (raw <= f * magnitude)
            return f * magnitude;
    }
    return 10 * magnitude;
}

// Writes beside the file and swaps only when every byte reached the disk;
// the earlier file stays otherwise.
bool Replace_File(const QString &path, const QByteArray &bytes, QString *error)
{
    QSaveFile file(path);
    const auto fail = [&](const QString &reason) {
        if (error)
            *error = reason.isEmpty() ? QStringLiteral("the file could not be written completely") : reason;
        file.cancelWriting();
        return false;
    };
    if (!file.open(QIODevice::WriteOnly))
        return fail(file.errorString());
    if (file.write(bytes) != bytes.size() || !file.flush())
        return fail(file.errorString());
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

QString Psi(double value)
{
    return Report_Number(value, QStringLiteral("psi")) + QStringLiteral(" psi");
}

} // namespace

void Paint_Pressure_Profile(QPainter &painter, const QRectF &area, const QVector<Profile_Station> &stations,
                            double required_psi)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const double unit = std::clamp(area.height() / 34, 6.0, 40.0); // text height in device pixels
    QFont font = painter.font();
    font.setPixelSize(int(unit));
    QFont small = font;
    small.setPixelSize(std::max(5, int(unit * 0.85)));
    QFont bold = font;
    bold.setBold(true);
    painter.setFont(font);
    painter.setPen(Text_Color);

    if (stations.isEmpty()) {
        painter.drawText(area, Qt::AlignCenter, QStringLiteral("No pressure evaluation for this job."));
        painter.restore();
        return;
    }

    // Bands: drop labels on top, station names below, the pressure scale left.
    const QRectF plot(area.left() + unit * 5, area.top() + unit * 6, area.width() - unit * 6.5,
                      area.height() - unit * 11);
    double low = std::min(0.0, required_psi), high = std::max(0.0, required_psi);
    for (const Profile_Station &s : stations) {
        low = std::min(low, s.Pressure);
        high = std::max(high, s.Pressure);
    }
    if (high - low < 1)
        high = low + 1;
    const double step = Grid_Step(high - low);
    low = std::floor(low / step) * step;
    high = std::ceil(high / step) * step;
    const auto y_of = [&](double psi) { return plot.bottom() - (psi - low) / (high - low) * plot.height(); };
    const double spacing = plot.width() / stations.size();
    const auto x_of = [&](int i) { return plot.left() + spacing * (i + 0.5); };

    // Scale and grid.
    painter.setFont(small);
    for (double v = low; v <= high + step / 2; v += step) {
        const double y = y_of(v);
        painter.setPen(QPen(Grid_Color, std::max(1.0, unit / 12)));
        painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        painter.setPen(Text_Color);
        painter.drawText(QRectF(area.left(), y - unit, unit * 4.6, unit * 2), Qt::AlignRight | Qt::AlignVCenter,
                         Report_Number(v, QString()));
    }
    painter.save();
    painter.translate(area.left() + unit * 0.6, plot.center().y());
    painter.rotate(-90);
    painter.drawText(QRectF(-plot.height() / 2, -unit, plot.height(), unit * 2), Qt::AlignCenter,
                     QStringLiteral("psi"));
    painter.restore();
    painter.setPen(QPen(Text_Color, std::max(1.0, unit / 10)));
    painter.drawLine(plot.bottomLeft(), plot.bottomRight());
    painter.drawLine(plot.bottomLeft(), plot.topLeft());

    // The required pressure.
    const double y_required = y_of(required_psi);
    painter.setPen(QPen(Short_Color, std::max(1.0, unit / 6), Qt::DashLine));
    painter.drawLine(QPointF(plot.left(), y_required), QPointF(plot.right(), y_required));
    painter.setPen(Short_Color);
    // Labelled at the left, where the pressure is still that of the main.
    painter.drawText(QRectF(plot.left() + unit * 0.4, y_required + unit * 0.15, spacing * 3, unit * 1.2),
                     Qt::AlignLeft | Qt::AlignTop, QStringLiteral("Required ") + Psi(required_psi));

    // Each drop: a column over its stretch with the cause and the psi.
    for (int i = 1; i < stations.size(); ++i) {
        const Profile_Station &s = stations[i];
        const double x0 = x_of(i - 1), x1 = x_of(i);
        const QRectF label(x0 + spacing * 0.04, area.top(), x1 - x0 - spacing * 0.08, unit * 5.6);
        painter.setPen(QPen(Grid_Color, std::max(1.0, unit / 12), Qt::DotLine));
        const double y_mid = (y_of(stations[i - 1].Pressure) + y_of(s.Pressure)) / 2;
        painter.drawLine(QPointF((x0 + x1) / 2, label.bottom()), QPointF((x0 + x1) / 2, y_mid));
        painter.setPen(Text_Color);
        painter.setFont(small);
        const QString drop = Psi(std::fabs(s.Drop));
        const QString amount = drop == Psi(0) ? drop
                               : s.Drop > 0   ? QStringLiteral("\u2212") + drop
                                              : QStringLiteral("+") + drop;
        QFontMetricsF fm(small);
        const QRectF cause_box = fm.boundingRect(label, Qt::AlignHCenter | Qt::AlignBottom | Qt::TextWordWrap, s.Cause);
        painter.drawText(QRectF(label.left(), label.bottom() - unit * 1.2 - cause_box.height(), label.width(),
                                cause_box.height()),
                         Qt::AlignHCenter | Qt::AlignBottom | Qt::TextWordWrap, s.Cause);
        painter.setFont(bold);
        painter.setPen(s.Drop >= 0 ? Text_Color : Line_Color); // a rise in blue
        painter.drawText(QRectF(label.left(), label.bottom() - unit * 1.2, label.width(), unit * 1.2),
                         Qt::AlignHCenter | Qt::AlignVCenter, amount);
    }

    // The pressure line, its points and values.
    QPainterPath path;
    for (int i = 0; i < stations.size(); ++i) {
        const QPointF p(x_of(i), y_of(stations[i].Pressure));
        if (i == 0)
            path.moveTo(p);
        else
            path.lineTo(p);
    }
    painter.setPen(QPen(Line_Color, std::max(1.5, unit / 4)));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(path);
    painter.setFont(small);
    for (int i = 0; i < stations.size(); ++i) {
        const Profile_Station &s = stations[i];
        const QPointF p(x_of(i), y_of(s.Pressure));
        const bool short_of = s.Pressure < required_psi;
        const QColor c = short_of ? Short_Color : Line_Color;
        painter.setPen(QPen(c, std::max(1.0, unit / 8)));
        painter.setBrush(Qt::white);
        painter.drawEllipse(p, unit * 0.35, unit * 0.35);
        painter.setPen(c);
        const bool below = i + 1 < stations.size() && stations[i + 1].Pressure > s.Pressure;
        painter.drawText(QRectF(p.x() - spacing / 2, below ? p.y() + unit * 0.5 : p.y() - unit * 1.6, spacing, unit * 1.1),
                         Qt::AlignCenter, Report_Number(s.Pressure, QStringLiteral("psi")));
        // Station name under the axis.
        painter.setPen(Text_Color);
        painter.setFont(i == 0 || i + 1 == stations.size() ? bold : small);
        painter.drawText(QRectF(p.x() - spacing / 2 + 1, plot.bottom() + unit * 0.4, spacing - 2, unit * 4),
                         Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, s.Name);
        painter.setFont(small);
    }
    painter.restore();
}

QImage Pressure_Profile_Image(const QVector<Profile_Station> &stations, double required_psi, const QSize &size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    Paint_Pressure_Profile(painter, QRectF(QPointF(0, 0), QSizeF(size)).adjusted(4, 4, -4, -4), stations,
                           required_psi);
    painter.end();
    return image;
}

bool Save_Profile_Png(const Calculation_Record &record, const QString &path, const QSize &size, QString *error)
{
    const QImage image = Pressure_Profile_Image(record.Profile, record.State.Job.Pressure_Fixture.Number(), size);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) {
        if (error)
            *error = QStringLiteral("the picture could not be encoded");
        return false;
    }
    return Replace_File(path, bytes, error);
}

void Print_Engineering_Report(const Calculation_Record &record, QPagedPaintDevice &device)
{
    const QString image_name = QStringLiteral("quorvel-profile.png");
    QTextDocument document;
    document.setDefaultFont(QFont(QStringLiteral("DejaVu Sans"), 9));
    document.addResource(QTextDocument::ImageResource, QUrl(image_name),
                         Pressure_Profile_Image(record.Profile, record.State.Job.Pressure_Fixture.Number(),
                                                QSize(1920, 1200)));
    // The text width in 1/96 inch, inside the 2 cm margins the document keeps on paper.
    const double text_width = device.width() * 96.0 / std::max(1, device.logicalDpiX()) - 2 * 2 / 2.54 * 96 - 12;
    document.setHtml(Engineering_Report_Html(record, image_name, std::max(200, int(text_width))));
    document.print(&device);
}

bool Write_Engineering_Pdf(const Calculation_Record &record, const QString &path, QString *error)
{
    // Typeset in memory first: the file is touched only with the whole document.
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setPageSize(QPageSize(QPageSize::Letter));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter); // the document keeps 2 cm
        writer.setResolution(300);
        writer.setTitle(QStringLiteral("Water meter sizing: ") + record.State.Job.Location);
        writer.setCreator(QStringLiteral("Quorvel ") + record.State.Version);
        Print_Engineering_Report(record, writer);
    }
    if (!bytes.startsWith("%PDF-")) {
        if (error)
            *error = QStringLiteral("the document could not be typeset");
        return false;
    }
    return Replace_File(path, bytes, error);
}
