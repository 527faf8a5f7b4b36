#include "frm_note.h"

#include "text_codec.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>
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
    connect(ok, &QPushButton::clicked, this, &Frm_Note::Ok);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(captions);
    layout->addWidget(TB_Note, 1);
    Lab_Note_Warning = new QLabel;
    Lab_Note_Warning->setObjectName(QStringLiteral("Lab_Note_Warning"));
    Lab_Note_Warning->setWordWrap(true);
    QPalette warning = Lab_Note_Warning->palette(); // a red that reads on the dialog's background
    warning.setColor(QPalette::WindowText,
                     palette().color(QPalette::Window).lightness() < 128 ? QColor(255, 128, 128) : QColor(0xb0, 0, 0));
    Lab_Note_Warning->setPalette(warning);
    Lab_Note_Warning->hide();
    layout->addWidget(Lab_Note_Warning);
    layout->addLayout(buttons);
}

QString Frm_Note::Note() const
{
    // The raw text: the plain text would turn non-breaking spaces into
    // blanks. Paragraph and line separators are the note's CR LF.
    QString text = TB_Note->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, u'\n').replace(QChar::LineSeparator, u'\n');
    text.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    return text;
}

void Frm_Note::Ok()
{
    // A character the job file's code page cannot hold would come back as
    // "?": it is named here, and the editor stays open.
    const QStringList unheld = Unencodable_1252(Note());
    if (unheld.isEmpty()) {
        accept();
        return;
    }
    QStringList shown;
    for (const QString &c : unheld)
        shown << QStringLiteral("\"%1\" (U+%2)").arg(c, QString::number(c.toUcs4().value(0), 16).toUpper().rightJustified(4, u'0'));
    Lab_Note_Warning->setText(QStringLiteral("A job file cannot hold these characters: %1. Replace or remove them to "
                                             "keep the note.")
                                  .arg(shown.join(QStringLiteral(", "))));
    Lab_Note_Warning->show();
}
