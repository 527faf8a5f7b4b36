#include "frm_calc_details.h"

#include "prompt.h"
#include "report_pages.h"

#include <QDir>
#include <QCloseEvent>
#include <QFileInfo>
#include <QStandardPaths>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTextBrowser>
#include <QVBoxLayout>

QString Export_Folder(const Program_State &state)
{
    if (!state.Job_File_Name.isEmpty())
        return QFileInfo(state.Job_File_Name).absolutePath();
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return documents.isEmpty() ? QDir::homePath() : documents;
}

QString Export_Name(const Program_State &state)
{
    QString name = QFileInfo(state.Job_File_Name).fileName();
    if (name.endsWith(QStringLiteral(".qvl"), Qt::CaseInsensitive))
        name.chop(4);
    return name.isEmpty() ? QStringLiteral("Quorvel report") : name;
}

QColor Readable_Red(const QColor &background)
{
    return background.lightness() < 128 ? QColor(0xff, 0x80, 0x80) : QColor(0xc6, 0x28, 0x28);
}

Profile_View::Profile_View(QWidget *parent) : QWidget(parent)
{
    setMinimumSize(480, 300);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    setPalette(p);
}

void Profile_View::Show_Profile(const QVector<Profile_Station> &stations, double required_psi)
{
    stations_ = stations;
    required_ = required_psi;
    update();
}

void Profile_View::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    Paint_Pressure_Profile(painter, QRectF(rect()).adjusted(8, 8, -8, -8), stations_, required_);
}

Frm_Calc_Details::Frm_Calc_Details(Prompt &prompt, QWidget *parent) : QDialog(parent), prompt_(prompt)
{
    setObjectName(QStringLiteral("Frm_Calc_Details"));
    setWindowTitle(QStringLiteral("Calculation Details"));
    setSizeGripEnabled(true);

    Tab_Details = new QTabWidget(this);
    Tab_Details->setObjectName(QStringLiteral("Tab_Details"));

    Text_Steps = new QTextBrowser;
    Text_Steps->setObjectName(QStringLiteral("Text_Steps"));
    Text_Steps->setOpenLinks(false);
    // The steps are typeset as on paper (their tables shade their headers):
    // dark text on white in any palette, as the profile beside them.
    QPalette paper = Text_Steps->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        paper.setColor(group, QPalette::Base, Qt::white);
        paper.setColor(group, QPalette::Text, Qt::black);
        paper.setColor(group, QPalette::Link, QColor(0, 0, 0xc0));
    }
    Text_Steps->setPalette(paper);
    Tab_Details->addTab(Text_Steps, QStringLiteral("Steps"));

    auto *profile_page = new QWidget;
    auto *profile_layout = new QVBoxLayout(profile_page);
    Pic_Profile = new Profile_View;
    Pic_Profile->setObjectName(QStringLiteral("Pic_Profile"));
    profile_layout->addWidget(Pic_Profile, 1);
    auto *profile_buttons = new QHBoxLayout;
    profile_buttons->addStretch(1);
    Button_Export_Png = new QPushButton(QStringLiteral("Export Picture..."));
    Button_Export_Png->setObjectName(QStringLiteral("Button_Export_Png"));
    profile_buttons->addWidget(Button_Export_Png);
    profile_layout->addLayout(profile_buttons);
    Tab_Details->addTab(profile_page, QStringLiteral("Pressure Profile"));

    auto *compare_page = new QWidget;
    auto *compare_layout = new QVBoxLayout(compare_page);
    Grid_Compare = new QTableWidget(0, Column_Count);
    Grid_Compare->setObjectName(QStringLiteral("Grid_Compare"));
    Grid_Compare->setHorizontalHeaderLabels({QStringLiteral("#"), QStringLiteral("Size"), QStringLiteral("Make"),
                                             QStringLiteral("Model"), QStringLiteral("Rating gpm"),
                                             QStringLiteral("Flow"), QStringLiteral("Lm psi"),
                                             QStringLiteral("Pa psi"), QStringLiteral("Pf psi"),
                                             QStringLiteral("Pressure"), QString()});
    // The symbols of the steps tab; the header's tooltip says them in words.
    const QStringList tips{QString(), QString(), QString(), QString(),
                           QStringLiteral("The meter's rating on the job's flow basis"),
                           QStringLiteral("Design flow within the rating"), QStringLiteral("Loss through the meter at the design flow"),
                           QStringLiteral("Pressure after the meter"), QStringLiteral("Pressure at the controlling fixture"),
                           QStringLiteral("Pressure at the fixture meets the required"), QString()};
    for (int col = 0; col < Column_Count; ++col)
        Grid_Compare->horizontalHeaderItem(col)->setToolTip(tips[col]);
    Grid_Compare->verticalHeader()->hide();
    Grid_Compare->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Grid_Compare->setSelectionBehavior(QAbstractItemView::SelectRows);
    Grid_Compare->horizontalHeader()->setStretchLastSection(true);
    Grid_Compare->setWordWrap(false);
    compare_layout->addWidget(Grid_Compare, 1);
    Lab_Compare_Why = new QLabel;
    Lab_Compare_Why->setObjectName(QStringLiteral("Lab_Compare_Why"));
    Lab_Compare_Why->setWordWrap(true);
    compare_layout->addWidget(Lab_Compare_Why);
    Tab_Details->addTab(compare_page, QStringLiteral("Meter Comparison"));

    Text_Demand = new QTextBrowser;
    Text_Demand->setObjectName(QStringLiteral("Text_Demand"));
    Text_Demand->setOpenLinks(false);
    Tab_Details->addTab(Text_Demand, QStringLiteral("Demand Methods"));

    Button_Close = new QPushButton(QStringLiteral("Close"));
    Button_Close->setObjectName(QStringLiteral("Button_Close_Details"));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Button_Close);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Tab_Details, 1);
    layout->addLayout(buttons);

    connect(Button_Close, &QPushButton::clicked, this, &QDialog::close);
    connect(Button_Export_Png, &QPushButton::clicked, this, [this] { Export_Profile_Png(); });
    resize(1000, 640);
}

void Frm_Calc_Details::Show_Record(const Calculation_Record &record)
{
    record_ = record;
    const Sizing_Job &job = record.State.Job;
    setWindowTitle(job.Location.isEmpty() ? QStringLiteral("Calculation Details")
                                          : QStringLiteral("Calculation Details - ") + job.Location);
    Text_Steps->setHtml(Calculation_Steps_Html(record));
    Text_Steps->moveCursor(QTextCursor::Start);
    Pic_Profile->Show_Profile(record.Profile, job.Pressure_Fixture.Number());
    Button_Export_Png->setEnabled(!record.Profile.isEmpty());
    Fill_Comparison();
    Text_Demand->setHtml(Demand_Methods_Html(record));
}

void Frm_Calc_Details::closeEvent(QCloseEvent *event)
{
    QDialog::closeEvent(event);
    if (event->isAccepted())
        emit Closed();
}

void Frm_Calc_Details::Show_Nothing()
{
    record_ = Calculation_Record();
    setWindowTitle(QStringLiteral("Calculation Details"));
    Text_Steps->setPlainText(QStringLiteral("Nothing calculated yet: press Calculate (F9)."));
    Pic_Profile->Show_Profile({}, 0);
    Button_Export_Png->setEnabled(false);
    Grid_Compare->setRowCount(0);
    Lab_Compare_Why->clear();
}

void Frm_Calc_Details::Fill_Comparison()
{
    const Meter_Comparison &c = record_.Comparison;
    const Sizing_Job &job = record_.State.Job;
    Grid_Compare->setRowCount(int(c.Rows.size()));
    const auto psi = [](double v) { return Report_Number(v, QStringLiteral("psi")); };
    for (int i = 0; i < c.Rows.size(); ++i) {
        const Meter_Comparison_Row &m = c.Rows[i];
        const bool smallest = m.Index == c.Smallest_Passing;
        QStringList marks;
        if (smallest)
            marks << QStringLiteral("Smallest passing");
        if (m.Index == job.Meter_Index)
            marks << QStringLiteral("Job's meter");
        const QStringList cells{QString::number(m.Index), m.Size_Label, m.Make, m.Model,
                                Report_Number(m.Limit_Gpm, QStringLiteral("gpm")),
                                m.Flow_Ok ? QStringLiteral("pass") : QStringLiteral("fail"),
                                m.Pressure_Evaluated ? psi(m.Loss_Meter) : QString(),
                                m.Pressure_Evaluated ? psi(m.Pressure_After_Meter) : QString(),
                                m.Pressure_Evaluated ? psi(m.Pressure_At_Fixture) : QString(),
                                m.Pressure_Evaluated ? (m.Pressure_Ok ? QStringLiteral("pass") : QStringLiteral("fail"))
                                                     : QStringLiteral("n/a"),
                                marks.join(QStringLiteral(", "))};
        for (int col = 0; col < Column_Count; ++col) {
            auto *item = new QTableWidgetItem(cells[col]);
            if (col == Col_Index || (col >= Col_Rating && col <= Col_At_Fixture && col != Col_Flow))
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            // Each colour with its pair: the marked row's shade with dark
            // text, "fail" red on the palette's base or on that shade.
            const bool failed = (col == Col_Flow || col == Col_Pressure) && cells[col] == QStringLiteral("fail");
            if (smallest) {
                QFont f = item->font();
                f.setBold(true);
                item->setFont(f);
                item->setBackground(QColor(0xdf, 0xf3, 0xe4));
                item->setForeground(failed ? QColor(0xb0, 0x1c, 0x1c) : QColor(0x10, 0x20, 0x10));
            } else if (failed) {
                item->setForeground(Readable_Red(Grid_Compare->palette().color(QPalette::Base)));
            }
            Grid_Compare->setItem(i, col, item);
        }
    }
    Grid_Compare->resizeColumnsToContents();
    Grid_Compare->resizeRowsToContents();

    QString why;
    if (c.Rows.isEmpty()) {
        why = QStringLiteral("The meter list holds no meters.");
    } else if (c.Smallest_Passing == 0) {
        why = QStringLiteral("No meter of the list passes.");
    } else {
        const Meter_Comparison_Row &s = c.Rows[c.Smallest_Passing - 1];
        why = QStringLiteral("Smallest meter passing: #%1, %2 %3 %4.").arg(s.Index).arg(s.Size_Label, s.Make, s.Model);
        if (c.Smallest_Passing != job.Meter_Index && job.Meter_Index > 0) {
            why += QStringLiteral(" The calculation settled on #%1").arg(job.Meter_Index);
            why += c.Why_Different.isEmpty() ? QStringLiteral(".") : QStringLiteral(": ") + c.Why_Different + u'.';
        }
    }
    Lab_Compare_Why->setText(why);
}

bool Frm_Calc_Details::Export_Profile_Png()
{
    const QString path = prompt_.Choose_Save_File(Export_Folder(record_.State),
                                                  record_.State.Job_File_Name.isEmpty()
                                                      ? QStringLiteral("Pressure profile.png")
                                                      : Export_Name(record_.State) + QStringLiteral(" pressure profile.png"),
                                                  QStringLiteral("PNG Pictures (*.png)|*.png|"), 0);
    if (path.isEmpty())
        return false;
    QString error;
    if (!Save_Profile_Png(record_, path, QSize(1600, 1000), &error)) {
        prompt_.Show_Message(QStringLiteral("The picture could not be written to %1: %2").arg(path, error));
        return false;
    }
    emit Written(QStringLiteral("Picture written to %1").arg(QFileInfo(path).absoluteFilePath()));
    return true;
}
