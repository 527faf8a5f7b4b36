#include "frm_about.h"

#include "program_documents.h"

#include <QIcon>
#include <QKeyEvent>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QLabel *Label(QWidget *parent, const QString &text, const QRect &geometry, int points = 0, bool bold = false)
{
    auto *label = new QLabel(text, parent);
    label->setGeometry(geometry);
    if (points > 0 || bold) {
        QFont f = label->font();
        if (points > 0)
            f.setPointSize(points);
        f.setBold(bold);
        label->setFont(f);
    }
    return label;
}

} // namespace

Frm_About::Frm_About(const QString &version, int &startup, QWidget *parent)
    : QDialog(parent), startup_(startup)
{
    setObjectName(QStringLiteral("Frm_About"));
    setWindowTitle(QStringLiteral("About Quorvel"));
    setModal(true);
    setFixedSize(470, 272);
    // The frame around the box; a click on it closes the box.
    auto *frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("Frame1"));
    frame->setFrameStyle(QFrame::Panel | QFrame::Raised);
    frame->setLineWidth(3);
    frame->setGeometry(rect());
    frame->setAttribute(Qt::WA_TransparentForMouseEvents);

    // The title, drawn twice with a small offset: a shadow, then the face
    // slightly up and to the left.
    auto *shadow = Label(this, QStringLiteral("Quorvel"), QRect(126, 14, 320, 56), 30, true);
    shadow->setObjectName(QStringLiteral("Label1"));
    // Blues for the box's own background: lighter on a dark one.
    const bool dark = palette().color(QPalette::Window).lightness() < 128;
    QPalette sp = shadow->palette();
    sp.setColor(QPalette::WindowText, dark ? QColor(90, 110, 140) : QColor(120, 140, 170));
    shadow->setPalette(sp);
    auto *title = Label(this, QStringLiteral("Quorvel"), QRect(122, 10, 320, 56), 30, true);
    title->setObjectName(QStringLiteral("Label2"));
    QPalette tp = title->palette();
    tp.setColor(QPalette::WindowText, dark ? QColor(140, 185, 255) : QColor(0, 60, 140));
    title->setPalette(tp);

    auto *picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("Image1"));
    picture->setPixmap(QIcon(QStringLiteral(":/images/about.svg")).pixmap(QSize(96, 96)));
    picture->setGeometry(14, 14, 100, 100);

    auto *purpose = Label(this, QStringLiteral("Water Meter Sizing Program"), QRect(124, 66, 330, 22), 11);
    purpose->setObjectName(QStringLiteral("Label3"));
    auto *maker = Label(this, Maker_Name, QRect(124, 90, 330, 20));
    maker->setObjectName(QStringLiteral("Lab_Maker"));
    auto *platform = Label(this, QStringLiteral("Win32"), QRect(124, 112, 120, 20));
    platform->setObjectName(QStringLiteral("Lab_Platform"));
    auto *version_label = Label(this, QStringLiteral("Version ") + version, QRect(124, 134, 200, 20), 0, true);
    version_label->setObjectName(QStringLiteral("Lab_Version"));
    auto *from = Label(this, QStringLiteral("19 Dec 2000"), QRect(124, 158, 90, 20));
    auto *to = Label(this, QStringLiteral("to"), QRect(218, 158, 20, 20));
    auto *until = Label(this, QStringLiteral("08 Aug 2002"), QRect(242, 158, 90, 20));
    auto *contact = Label(this, Maker_Contact, QRect(124, 182, 330, 20));
    contact->setObjectName(QStringLiteral("Lab_Contact"));
    auto *warning = Label(this, QStringLiteral(" Warning:     No Expressed or Implied Warranty or Guarantee"),
                          QRect(14, 232, 440, 20));
    warning->setObjectName(QStringLiteral("Lab_Warning"));

    // The hidden spot: a label holding a single blank over the title.
    hot_spot_ = Label(this, QStringLiteral(" "), QRect(190, 30, 6, 6));
    hot_spot_->setObjectName(QStringLiteral("Lab_Hot_Spot"));
    hot_spot_->raise();

    closing_ = {title, shadow, maker, platform};
    inert_ = {picture, purpose, version_label, from, to, until, contact, warning, hot_spot_};
    for (QObject *o : closing_)
        o->installEventFilter(this);
    for (QObject *o : inert_)
        o->installEventFilter(this);

    timer_.setObjectName(QStringLiteral("Timer1"));
    timer_.setInterval(1200);
    connect(&timer_, &QTimer::timeout, this, &Frm_About::Timer_Tick);
    timer_.start();
}

void Frm_About::Timer_Tick()
{
    if (startup_ == 0) {
        startup_ = 1;
        accept();
    }
}

void Frm_About::Hot_Spot_Clicked()
{
    startup_ = 1;
    Frm_Egg egg(this);
    egg.exec();
}

void Frm_About::keyPressEvent(QKeyEvent *)
{
    accept();
}

void Frm_About::mousePressEvent(QMouseEvent *)
{
    // A click on the box's frame (its background) closes it.
    accept();
}

bool Frm_About::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        if (watched == hot_spot_)
            Hot_Spot_Clicked();
        else if (closing_.contains(watched))
            accept();
        return true; // a click on any other part of the box does nothing
    }
    return QDialog::eventFilter(watched, event);
}

Frm_Egg::Frm_Egg(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Frm_Egg"));
    setWindowTitle(QStringLiteral("Quorvel"));
    auto *layout = new QVBoxLayout(this);
    auto *picture = new QLabel;
    picture->setObjectName(QStringLiteral("Image1"));
    picture->setPixmap(QIcon(QStringLiteral(":/images/egg.svg")).pixmap(QSize(200, 150)));
    layout->addWidget(picture, 0, Qt::AlignCenter);
    auto *ok = new QPushButton(QStringLiteral("OK"));
    ok->setObjectName(QStringLiteral("Button_OK"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(ok, 0, Qt::AlignCenter);
}

void Frm_Egg::keyPressEvent(QKeyEvent *)
{
    accept();
}
