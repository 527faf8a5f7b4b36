#include "frm_download.h"

#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QMovie>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedLayout>
#include <QVBoxLayout>

#include <algorithm>

Frm_Download::Frm_Download(int total_steps, const QString &app_path, QWidget *parent)
    : QDialog(parent), maximum_(total_steps)
{
    setObjectName(QStringLiteral("Frm_Download"));
    setWindowTitle(QStringLiteral("Quorvel Download"));
    // The clip covers the text; the text is seen only when there is no clip.
    auto *area = new QWidget;
    area->setFixedSize(280, 80);
    auto *stack = new QStackedLayout(area);
    stack->setStackingMode(QStackedLayout::StackAll);
    Label3 = new QLabel(QStringLiteral("A file is missing - This should not effect the update."));
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setWordWrap(true);
    Animation1 = new QLabel;
    Animation1->setObjectName(QStringLiteral("Animation1"));
    stack->addWidget(Label3);
    stack->addWidget(Animation1);
    const QString clip = app_path + QStringLiteral("/Quorvel.vmf");
    if (QFile::exists(clip)) {
        movie_ = new QMovie(clip, QByteArray("gif"), this);
        if (movie_->isValid()) {
            Animation1->setMovie(movie_);
            Animation1->setAutoFillBackground(true);
            Animation1->raise();
            movie_->start();
        }
    }
    Lab_Complete = new QLabel(QStringLiteral("-"));
    Lab_Complete->setObjectName(QStringLiteral("Lab_Complete"));
    Lab_Total = new QLabel(QString::number(maximum_));
    Lab_Total->setObjectName(QStringLiteral("Lab_Total"));
    auto *line = new QHBoxLayout;
    line->addWidget(Lab_Complete);
    line->addWidget(new QLabel(QStringLiteral("of")));
    line->addWidget(Lab_Total);
    line->addWidget(new QLabel(QStringLiteral("Complete")));
    line->addStretch();
    ProgressBar1 = new QProgressBar;
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, maximum_);
    ProgressBar1->setValue(0);
    auto *cancel = new QPushButton(QStringLiteral("Cancel"));
    cancel->setObjectName(QStringLiteral("Button_Cancel"));
    connect(cancel, &QPushButton::clicked, this, [this] {
        emit Cancel_Requested();
        hide();
    });
    Lab_Bytes = new QLabel;
    Lab_Bytes->setObjectName(QStringLiteral("Lab_Bytes"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(area);
    layout->addLayout(line);
    layout->addWidget(ProgressBar1);
    layout->addWidget(Lab_Bytes);
    layout->addWidget(cancel, 0, Qt::AlignRight);
    Timer1.setInterval(10);
    connect(&Timer1, &QTimer::timeout, this, [this] { Lab_Complete->setText(QString::number(value_)); });
    Timer1.start();
}

void Frm_Download::Advance()
{
    ++value_;
    ProgressBar1->setValue(std::min(value_, maximum_));
}

void Frm_Download::Finish()
{
    value_ = std::max(value_, maximum_);
    ProgressBar1->setValue(maximum_);
    Lab_Complete->setText(QString::number(value_));
}

void Frm_Download::Set_Bytes(const QString &name, qint64 received, qint64 total)
{
    const auto kb = [](qint64 bytes) { return QString::number((bytes + 1023) / 1024); };
    Lab_Bytes->setText(total >= 0 ? QStringLiteral("%1: %2 of %3 kB").arg(name, kb(received), kb(total))
                                  : QStringLiteral("%1: %2 kB").arg(name, kb(received)));
}
