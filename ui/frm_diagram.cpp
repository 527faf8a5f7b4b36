#include "frm_diagram.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {


// A schematic of the service: main, curb stop, meter, building wall and
// the controlling fixture, with the meter inside or outside the building.
class Service_Picture : public QWidget {
public:
    explicit Service_Picture(bool inside) : inside_(inside) { setFixedSize(673, 366); }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.fillRect(rect(), QColor(236, 244, 251));
        p.fillRect(QRect(0, 250, width(), 116), QColor(196, 170, 130)); // ground
        const QColor pipe(31, 95, 168);
        QPen pen(pipe, 6, Qt::SolidLine, Qt::RoundCap);
        // The water main, in section.
        p.setPen(QPen(Qt::black, 2));
        p.setBrush(QColor(120, 130, 145));
        p.drawEllipse(QPoint(50, 300), 28, 28);
        // Building.
        p.setBrush(QColor(250, 250, 245));
        p.drawRect(QRect(400, 70, 250, 180));
        p.drawText(QRect(400, 40, 250, 24), Qt::AlignCenter, QStringLiteral("Building"));
        // Service lateral.
        p.setPen(pen);
        const int meter_x = inside_ ? 450 : 300;
        p.drawLine(QPoint(78, 300), QPoint(200, 300));
        p.drawLine(QPoint(200, 300), QPoint(430, 300));
        p.drawLine(QPoint(430, 300), QPoint(430, 200));
        p.drawLine(QPoint(430, 200), QPoint(600, 200));
        p.drawLine(QPoint(600, 200), QPoint(600, 110));
        // Curb stop.
        p.setPen(QPen(Qt::black, 2));
        p.setBrush(QColor(200, 60, 50));
        p.drawRect(QRect(190, 288, 20, 24));
        p.drawText(QRect(150, 318, 100, 20), Qt::AlignCenter, QStringLiteral("Curb stop"));
        // Meter.
        p.setBrush(Qt::white);
        const QPoint meter = inside_ ? QPoint(meter_x, 200) : QPoint(meter_x, 300);
        p.drawEllipse(meter, 18, 18);
        p.drawLine(meter, meter + QPoint(9, -9));
        p.drawText(QRect(meter.x() - 50, meter.y() + 22, 100, 20), Qt::AlignCenter, QStringLiteral("Meter"));
        // Controlling fixture.
        p.setBrush(QColor(130, 140, 150));
        p.drawRect(QRect(585, 90, 30, 20));
        p.drawText(QRect(520, 60, 130, 24), Qt::AlignCenter, QStringLiteral("Controlling fixture"));
        p.drawText(QRect(20, 335, 120, 20), Qt::AlignCenter, QStringLiteral("Water main"));
        p.drawText(QRect(10, 10, 400, 24), Qt::AlignLeft,
                   inside_ ? QStringLiteral("Meter inside the building") : QStringLiteral("Meter outside the building"));
    }

private:
    bool inside_;
};

} // namespace

Frm_Diagram::Frm_Diagram(std::optional<bool> inside, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Frm_Diagram"));
    setWindowTitle(QStringLiteral("Plumbing Diagram"));
    Picture_Inside = new Service_Picture(true);
    Picture_Inside->setObjectName(QStringLiteral("Picture_Inside"));
    Picture_Outside = new Service_Picture(false);
    Picture_Outside->setObjectName(QStringLiteral("Picture_Outside"));
    Opt_Inside = new QRadioButton(QStringLiteral("Meter Inside Building"));
    Opt_Inside->setObjectName(QStringLiteral("Opt_Inside"));
    Opt_Outside = new QRadioButton(QStringLiteral("Meter Outside Building"));
    Opt_Outside->setObjectName(QStringLiteral("Opt_Outside"));
    auto *close = new QPushButton(QStringLiteral("Close"));
    close->setObjectName(QStringLiteral("Button_Close"));
    auto *row = new QHBoxLayout;
    row->addWidget(Opt_Inside);
    row->addWidget(Opt_Outside);
    row->addStretch();
    row->addWidget(close);
    auto *layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(Picture_Inside);
    layout->addWidget(Picture_Outside);
    layout->addLayout(row);
    Picture_Outside->hide();

    if (inside == true) {
        Opt_Inside->setChecked(true);
    } else if (inside == false) {
        Opt_Outside->setChecked(true);
        Picture_Inside->hide();
        Picture_Outside->show();
    }
    connect(Opt_Inside, &QRadioButton::clicked, this, [this] { Choose(true); });
    connect(Opt_Outside, &QRadioButton::clicked, this, [this] { Choose(false); });
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
}

void Frm_Diagram::Choose(bool inside)
{
    // Hide before show: the two pictures are never shown together, so the
    // window keeps its one size.
    (inside ? Picture_Outside : Picture_Inside)->hide();
    (inside ? Picture_Inside : Picture_Outside)->show();
    emit Place_Chosen(inside);
}
