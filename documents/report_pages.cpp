#include "report_pages.h"

#include "number_format.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageRanges>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>
#include <QTextTable>
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

// A drop as the profile labels it: a loss with a minus sign, a rise with a plus.
QString Drop_Text(const Profile_Station &s)
{
    const QString drop = Psi(std::fabs(s.Drop));
    return drop == Psi(0) ? drop : s.Drop > 0 ? QStringLiteral("\u2212") + drop : QStringLiteral("+") + drop;
}

bool Fits(const QFont &font, const QString &text, const QSizeF &box)
{
    const QFontMetricsF fm(font);
    const QRectF need = fm.boundingRect(QRectF(QPointF(0, 0), box), Qt::AlignHCenter | Qt::TextWordWrap, text);
    return need.width() <= box.width() + 0.01 && need.height() <= box.height() + 0.01;
}

// The largest share of the text size (at most 1) at which every label fits
// its box whole: each word within the column, the wrapped lines within
// their band. Nothing is then cut at the picture's edges or by its neighbour.
double Label_Scale(const QVector<Profile_Station> &stations, const QFont &font, double unit, double spacing)
{
    double scale = 1;
    for (; scale > 0.3; scale *= 0.92) {
        QFont small = font, bold = font;
        small.setPixelSize(std::max(4, int(unit * 0.85 * scale)));
        bold.setPixelSize(std::max(4, int(unit * scale)));
        bold.setBold(true);
        const QSizeF column(spacing * 0.92, unit * 4.4), name(spacing - 2, unit * 4);
        bool fits = true;
        for (int i = 0; i < stations.size() && fits; ++i) {
            const bool end = i == 0 || i + 1 == stations.size();
            fits = Fits(end ? bold : small, stations[i].Name, name)
                   && Fits(small, Report_Number(stations[i].Pressure, QStringLiteral("psi")), QSizeF(spacing, unit * 1.1))
                   && (i == 0 || (Fits(small, stations[i].Cause, column)
                                  && Fits(bold, Drop_Text(stations[i]), QSizeF(column.width(), unit * 1.2))));
        }
        if (fits)
            break;
    }
    return scale;
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
    {
        const double scale = Label_Scale(stations, font, unit, spacing);
        small.setPixelSize(std::max(4, int(unit * 0.85 * scale)));
        bold.setPixelSize(std::max(4, int(unit * scale)));
    }

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
        const QString amount = Drop_Text(s);
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

namespace {

// Where the pages may be cut, in document coordinates. A cut between two
// body rows of a table names the table, whose header rows then start the
// next page again.
struct Page_Cut {
    double Y = 0;
    bool Allowed = true; // false right after a heading or a table's header
    int Table = -1;
};

struct Header_Strip {
    double Top = 0, Bottom = 0;
};

struct Page_Plan {
    QVector<Page_Cut> Cuts;
    QVector<Header_Strip> Headers;
    double End = 0;
};

// The lines of the blocks from position from to position to, as top and
// bottom in document coordinates.
void Line_Extent(const QTextDocument &document, int from, int to, double &top, double &bottom)
{
    QAbstractTextDocumentLayout *layout = document.documentLayout();
    for (QTextBlock b = document.findBlock(from); b.isValid() && b.position() <= to; b = b.next()) {
        const double origin = layout->blockBoundingRect(b).top();
        const QTextLayout *lines = b.layout();
        for (int i = 0; i < lines->lineCount(); ++i) {
            top = std::min(top, origin + lines->lineAt(i).y());
            bottom = std::max(bottom, origin + lines->lineAt(i).y() + lines->lineAt(i).height());
        }
    }
}

// Every place between two lines of text or two rows of a table of the
// document's top level; nested tables stay whole with their row.
Page_Plan Plan_Cuts(const QTextDocument &document)
{
    Page_Plan plan;
    QAbstractTextDocumentLayout *layout = document.documentLayout();
    bool after_heading = false;
    for (QTextFrame::iterator it = document.rootFrame()->begin(); !it.atEnd(); ++it) {
        if (QTextFrame *frame = it.currentFrame()) {
            const QRectF box = layout->frameBoundingRect(frame);
            plan.Cuts.append({box.top(), !after_heading, -1});
            after_heading = false;
            const QTextTable *table = qobject_cast<QTextTable *>(frame);
            if (!table)
                continue;
            QVector<double> tops(table->rows(), box.bottom()), bottoms(table->rows(), box.top());
            for (int r = 0; r < table->rows(); ++r) {
                for (int c = 0; c < table->columns(); ++c) {
                    const QTextTableCell cell = table->cellAt(r, c);
                    if (cell.row() == r && cell.column() == c)
                        Line_Extent(document, cell.firstPosition(), cell.lastPosition(), tops[r], bottoms[r]);
                }
            }
            const int header = std::min(table->format().headerRowCount(), table->rows() - 1);
            int strip = -1;
            if (header > 0) {
                strip = int(plan.Headers.size());
                plan.Headers.append({box.top(), (bottoms[header - 1] + tops[header]) / 2});
            }
            for (int r = 1; r < table->rows(); ++r)
                plan.Cuts.append({(bottoms[r - 1] + tops[r]) / 2, r > header, strip});
            continue;
        }
        const QTextBlock block = it.currentBlock();
        const double origin = layout->blockBoundingRect(block).top();
        const QTextLayout *lines = block.layout();
        for (int i = 0; i < lines->lineCount(); ++i)
            plan.Cuts.append({origin + lines->lineAt(i).y(), i > 0 || !after_heading, -1});
        after_heading = block.blockFormat().headingLevel() > 0;
    }
    plan.End = document.size().height();
    return plan;
}

struct Page_Span {
    double Start = 0, End = 0;
    int Header = -1; // the strip of Page_Plan::Headers drawn above the span
};

// Fills each page as far as a cut allows: never inside a line or a table
// row, never right after a heading or a header row, unless nothing else
// fits on the page.
QVector<Page_Span> Paginate(const Page_Plan &plan, double page_height)
{
    QVector<Page_Span> pages;
    double start = 0;
    int header = -1;
    const double tiny = 0.5;
    while (start < plan.End - tiny) {
        const double head = header < 0 ? 0 : plan.Headers[header].Bottom - plan.Headers[header].Top;
        const double limit = start + page_height - head;
        Page_Span page{start, plan.End, header};
        if (limit < plan.End) {
            const Page_Cut *best = nullptr, *forced = nullptr;
            for (const Page_Cut &c : plan.Cuts) {
                if (c.Y <= start + tiny || c.Y > limit)
                    continue;
                if (c.Allowed && (!best || c.Y > best->Y))
                    best = &c;
                if (!forced || c.Y > forced->Y)
                    forced = &c;
            }
            const Page_Cut *cut = best ? best : forced;
            page.End = cut ? cut->Y : limit;
            header = cut ? cut->Table : -1;
            if (page.End <= start + tiny) { // a header as tall as the page: go on without it
                page.End = std::min(plan.End, start + page_height);
                header = -1;
            }
        }
        pages.append(page);
        start = page.End;
    }
    if (pages.isEmpty())
        pages.append({0, plan.End, -1});
    return pages;
}

void Draw_Span(QPainter &painter, const QTextDocument &document, double top, double bottom, const QPointF &at)
{
    painter.save();
    painter.translate(at.x(), at.y() - top);
    const QRectF clip(0, top, document.textWidth(), bottom - top);
    painter.setClipRect(clip);
    QAbstractTextDocumentLayout::PaintContext context;
    // A line is drawn when it touches the clip: half a pixel in from each
    // cut keeps the lines of the pages before and after out of this one's text.
    context.clip = clip.adjusted(0, 0.5, 0, -0.5);
    context.palette.setColor(QPalette::Text, Text_Color); // paper is white whatever the desktop's colours
    document.documentLayout()->draw(&painter, context);
    painter.restore();
}

QFont Report_Font(double points)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(points);
    // Letters one by one: "fl" stays two letters for whoever reads the PDF's text.
    font.setStyleStrategy(QFont::PreferNoShaping);
    return font;
}

} // namespace

void Print_Engineering_Report(const Calculation_Record &record, QPagedPaintDevice &device)
{
    const QString image_name = QStringLiteral("quorvel-profile.png");
    const double dpi = std::max(1, device.logicalDpiY());
    const double margin = 2 / 2.54 * dpi; // 2 cm
    const QRectF body(margin, margin, device.width() - 2 * margin, device.height() - 2 * margin);

    QTextDocument document;
    document.documentLayout()->setPaintDevice(&device);
    document.setDefaultFont(Report_Font(9));
    QTextOption wrapping = document.defaultTextOption();
    wrapping.setWrapMode(QTextOption::WordWrap); // words whole, numbers whole
    document.setDefaultTextOption(wrapping);
    document.setDocumentMargin(0);
    document.addResource(QTextDocument::ImageResource, QUrl(image_name),
                         Pressure_Profile_Image(record.Profile, record.State.Job.Pressure_Fixture.Number(),
                                                QSize(1920, 1200)));
    // The picture as wide as the text, in 1/96 inch.
    document.setHtml(Engineering_Report_Html(record, image_name, std::max(200, int(body.width() * 96 / dpi - 12))));
    {
        QTextCursor all(&document);
        all.select(QTextCursor::Document);
        QTextCharFormat letters;
        letters.setFontStyleStrategy(QFont::PreferNoShaping);
        all.mergeCharFormat(letters);
    }
    document.setTextWidth(body.width());

    const Page_Plan plan = Plan_Cuts(document);
    const QVector<Page_Span> pages = Paginate(plan, body.height());
    const Sizing_Job &job = record.State.Job;
    const QString running = QStringLiteral("%1  \u00b7  %2  \u00b7  %3")
                                .arg(Report_Project_Name(record), job.Location, Short_Date_Text(job.Calc_Date));
    const QString footer = QStringLiteral("Water meter sizing, Quorvel %1").arg(record.State.Version);

    QPainter painter(&device);
    painter.setRenderHint(QPainter::Antialiasing);
    const double gap = 0.12 * dpi;
    const QPageRanges chosen = device.pageRanges(); // a printer's "pages from ... to"; empty: all
    bool first = true;
    for (int p = 0; p < pages.size(); ++p) {
        if (!chosen.isEmpty() && !chosen.contains(p + 1))
            continue;
        if (!first)
            device.newPage();
        first = false;
        const Page_Span &page = pages[p];
        double y = body.top();
        if (page.Header >= 0) {
            const Header_Strip &strip = plan.Headers[page.Header];
            Draw_Span(painter, document, strip.Top, strip.Bottom, QPointF(body.left(), y));
            y += strip.Bottom - strip.Top;
        }
        Draw_Span(painter, document, page.Start, page.End, QPointF(body.left(), y));

        painter.setPen(QPen(Text_Color, std::max(1.0, dpi / 150)));
        painter.setFont(Report_Font(7.5));
        const double line = QFontMetricsF(painter.font(), &device).height();
        if (p > 0) { // the running header
            const QRectF band(body.left(), body.top() - gap - line * 1.2, body.width(), line * 1.2);
            painter.drawText(band, Qt::AlignLeft | Qt::AlignBottom,
                             QFontMetricsF(painter.font(), &device).elidedText(running, Qt::ElideRight, body.width() * 0.8));
            painter.drawText(band, Qt::AlignRight | Qt::AlignBottom, QStringLiteral("Engineering report"));
            painter.drawLine(QPointF(body.left(), band.bottom() + gap / 3), QPointF(body.right(), band.bottom() + gap / 3));
        }
        const QRectF foot(body.left(), body.bottom() + gap, body.width(), line * 1.2);
        painter.drawLine(QPointF(body.left(), foot.top() - gap / 3), QPointF(body.right(), foot.top() - gap / 3));
        painter.drawText(foot, Qt::AlignLeft | Qt::AlignTop, footer);
        painter.drawText(foot, Qt::AlignRight | Qt::AlignTop, QStringLiteral("Page %1 of %2").arg(p + 1).arg(pages.size()));
    }
    painter.end();
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
