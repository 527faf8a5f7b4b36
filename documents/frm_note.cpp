#include "frm_note.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

Frm_Note::Frm_Note(const QString &version, const QString &date_text, const QString &location, const QString &note,
                   QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Frm_Note"));
    setWindowTitle(QStringLiteral("Note"));
    resize(560, 380);

    auto *captions = new QGridLayout;
    const auto caption = [captions](int row, const QString &name, const QString &value, const QString &object) {
        captions->addWidget(new QLabel(name), row, 0);
        auto *v = new QLabel(value);
        v->setObjectName(object);
        v->setTextInteractionFlags(Qt::TextSelectableByMouse);
        v->setAccessibleName(name);
        // A long location never widens the dialog; the tooltip has it whole.
        v->setSizePolicy(QSizePolicy::Ignored, v->sizePolicy().verticalPolicy());
        v->setToolTip(value);
        captions->addWidget(v, row, 1);
    };
    caption(0, QStringLiteral("Version"), version, QStringLiteral("Lab_Version"));
    caption(1, QStringLiteral("Date"), date_text, QStringLiteral("Lab_Date"));
    caption(2, QStringLiteral("Location"), location, QStringLiteral("Lab_Location"));
    captions->setColumnStretch(1, 1);

    TB_Note = new QPlainTextEdit;
    TB_Note->setObjectName(QStringLiteral("TB_Note"));
    TB_Note->setAccessibleName(QStringLiteral("Note"));
    // The job keeps CR LF line breaks; the editor works with LF.
    QString shown = note;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    TB_Note->setPlainText(shown);
    TB_Note->setTabChangesFocus(true);

    auto *ok = new QPushButton(QStringLiteral("Ok"));
    ok->setObjectName(QStringLiteral("Button_Ok"));
    auto *cancel = new QPushButton(QStringLiteral("Cancel"));
    cancel->setObjectName(QStringLiteral("Button_Cancel"));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(captions);
    layout->addWidget(TB_Note, 1);
    layout->addLayout(buttons);
}

QString Frm_Note::Note() const
{
    QString text = TB_Note->toPlainText();
    text.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    return text;
}
