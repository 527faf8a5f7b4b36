#include "reference_dialogs.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// A clickable diameter: hand pointer, blue while the mouse is over it.
class Diameter_Label : public QLabel {
public:
    Diameter_Label(const QString &text, Frm_Size *owner) : QLabel(text), owner_(owner)
    {
        setCursor(Qt::PointingHandCursor);
        setMouseTracking(true);
        setAlignment(Qt::AlignCenter);
        setFocusPolicy(Qt::TabFocus); // Tab reaches it, Enter or Space picks it
    }

protected:
    void mouseMoveEvent(QMouseEvent *) override { owner_->Highlight(this); }
    void enterEvent(QEnterEvent *) override { owner_->Highlight(this); }
    // Leaving a diameter clears the highlight wherever the pointer goes: to
    // a heading, a group box, another window or off the dialog.
    void leaveEvent(QEvent *) override { owner_->Highlight(nullptr); }
    void focusInEvent(QFocusEvent *) override { owner_->Highlight(this); }
    void focusOutEvent(QFocusEvent *) override { owner_->Highlight(nullptr); }
    void keyPressEvent(QKeyEvent *event) override
    {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Space)
            owner_->Choose(text());
        else
            QLabel::keyPressEvent(event);
    }
    void mouseReleaseEvent(QMouseEvent *event) override
    {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
            owner_->Choose(text());
    }

private:
    Frm_Size *owner_;
};

QLabel *Heading(const QString &text)
{
    auto *label = new QLabel(text);
    QFont f = label->font();
    f.setBold(true);
    label->setFont(f);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

QLabel *Plain(const QString &text)
{
    auto *label = new QLabel(text);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

QPushButton *Close_Button(QDialog *dialog, const QString &text)
{
    auto *button = new QPushButton(text);
    button->setObjectName(QStringLiteral("Button_OK"));
    button->setDefault(true);
    QObject::connect(button, &QPushButton::clicked, dialog, &QDialog::accept);
    return button;
}

} // namespace

Frm_Size::Frm_Size(int &spot1, const QMap<int, QLineEdit *> &targets, QWidget *parent)
    : QDialog(parent), spot1_(spot1)
{
    setObjectName(QStringLiteral("Frm_Size"));
    setWindowTitle(QStringLiteral("Quorvel Pipe Size"));
    setMouseTracking(true);
    for (auto it = targets.begin(); it != targets.end(); ++it)
        targets_.insert(it.key(), it.value());

    const auto two_columns = [this](QGridLayout *grid, int row, const QStringList &pairs) {
        for (int i = 0; i + 1 < pairs.size(); i += 2, ++row) {
            grid->addWidget(Plain(pairs[i]), row, 0);
            grid->addWidget(Diameter(pairs[i + 1]), row, 1);
        }
        return row;
    };

    // Copper, on the left.
    auto *copper = new QGroupBox(QStringLiteral("Copper"));
    auto *cg = new QGridLayout(copper);
    int row = 0;
    cg->addWidget(Heading(QStringLiteral("Type K (External Piping)")), row++, 0, 1, 2);
    cg->addWidget(Heading(QStringLiteral("Nominal Diameter")), row, 0);
    cg->addWidget(Heading(QStringLiteral("Internal Diameter")), row++, 1);
    row = two_columns(cg, row, {"3/4\"", "0.745", "1\"", "0.995", "1-1/4\"", "1.245", "1-1/2\"", "1.481",
                                "2\"", "1.959"});
    cg->addWidget(Heading(QStringLiteral("Type M (Internal Plumbing)")), row++, 0, 1, 2);
    cg->addWidget(Heading(QStringLiteral("Nominal Diameter")), row, 0);
    cg->addWidget(Heading(QStringLiteral("Internal Diameter")), row++, 1);
    row = two_columns(cg, row, {"1/2\"", "0.569", "5/8\"", "0.666", "3/4\"", "0.811", "1\"", "1.055",
                                "1-1/4\"", "1.291", "1-1/2\"", "1.527", "2\"", "2.009"});
    cg->setRowStretch(row, 1);

    // HDPE, upper right: three internal-diameter columns; a dash is no size.
    auto *hdpe = new QGroupBox(QStringLiteral("HDPE"));
    auto *hg = new QGridLayout(hdpe);
    hg->addWidget(Heading(QStringLiteral("Nominal Diameter")), 0, 0);
    hg->addWidget(Heading(QStringLiteral("SDR 9")), 0, 1);
    hg->addWidget(Heading(QStringLiteral("SDR 11")), 0, 2);
    hg->addWidget(Heading(QStringLiteral("SDR 13.5")), 0, 3);
    const QList<QStringList> hdpe_rows = {
        {"1\" CTS", "0.875", "0.920", "-"},     {"1-1/4\" CTS", "1.069", "1.125", "-"},
        {"1-1/2\" CTS", "1.264", "1.330", "-"}, {"2\" CTS", "1.653", "1.739", "-"},
        {"4\" DIPS", "-", "3.93", "-"},         {"6\" DIPS", "-", "5.65", "5.88"},
        {"8\" DIPS", "-", "7.40", "7.71"},
    };
    for (int r = 0; r < hdpe_rows.size(); ++r) {
        hg->addWidget(Plain(hdpe_rows[r][0]), r + 1, 0);
        for (int c = 1; c <= 3; ++c) {
            const QString &cell = hdpe_rows[r][c];
            hg->addWidget(cell == u"-" ? Plain(QStringLiteral("-")) : Diameter(cell), r + 1, c);
        }
    }

    // Ductile iron and PVC, side by side at the lower right.
    auto *ductile = new QGroupBox(QStringLiteral("Ductile Iron"));
    auto *dg = new QGridLayout(ductile);
    dg->addWidget(Heading(QStringLiteral("Nominal Diameter")), 0, 0);
    dg->addWidget(Heading(QStringLiteral("Internal Diameter")), 0, 1);
    two_columns(dg, 1, {"4\"", "4.22", "6\"", "6.28", "8\"", "8.39", "10\"", "10.40", "12\"", "12.46"});
    auto *pvc = new QGroupBox(QStringLiteral("PVC - SDR 18"));
    auto *pg = new QGridLayout(pvc);
    pg->addWidget(Heading(QStringLiteral("Nominal Diameter")), 0, 0);
    pg->addWidget(Heading(QStringLiteral("Internal Diameter")), 0, 1);
    two_columns(pg, 1, {"4\"", "4.27", "6\"", "6.13", "8\"", "8.04", "10\"", "9.87", "12\"", "11.73"});

    auto *lower = new QHBoxLayout;
    lower->addWidget(ductile);
    lower->addWidget(pvc);
    auto *right = new QVBoxLayout;
    right->addWidget(hdpe);
    right->addLayout(lower);
    auto *columns = new QHBoxLayout;
    columns->addWidget(copper);
    columns->addLayout(right);
    auto *top = new QVBoxLayout(this);
    top->addWidget(new QLabel(QStringLiteral("Click an internal diameter (inches) to use it.")));
    top->addLayout(columns);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Close_Button(this, QStringLiteral("OK")));
    top->addLayout(buttons);
    Highlight(nullptr);
}

Frm_Size::~Frm_Size()
{
    // Hidden while the diameter list still exists: hiding takes the focus
    // and the pointer off a diameter, which clears the highlight.
    hide();
}

QLabel *Frm_Size::Diameter(const QString &text)
{
    auto *label = new Diameter_Label(text, this);
    label->setObjectName(QStringLiteral("Dia_%1").arg(diameters_.size()));
    label->setAccessibleName(QStringLiteral("Internal diameter %1 inches").arg(text));
    diameters_ << label;
    return label;
}

void Frm_Size::Highlight(QLabel *diameter)
{
    const QColor normal = palette().color(QPalette::ButtonText);
    const QColor marked = palette().color(QPalette::Window).lightness() < 128 ? QColor(120, 170, 255) : QColor(Qt::blue);
    for (QLabel *label : std::as_const(diameters_)) {
        QPalette p = label->palette();
        p.setColor(QPalette::WindowText, label == diameter ? marked : normal);
        label->setPalette(p);
    }
}

void Frm_Size::mouseMoveEvent(QMouseEvent *event)
{
    Highlight(nullptr);
    QDialog::mouseMoveEvent(event);
}

void Frm_Size::leaveEvent(QEvent *event)
{
    Highlight(nullptr);
    QDialog::leaveEvent(event);
}

void Frm_Size::Choose(const QString &diameter)
{
    if (spot1_ >= 21 && spot1_ <= 25) {
        QLineEdit *target = targets_.value(spot1_);
        if (target)
            target->setText(diameter);
    }
    accept();
}

Frm_CFactor::Frm_CFactor(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Frm_CFactor"));
    setWindowTitle(QStringLiteral("Quorvel C Factor"));
    auto *grid = new QGridLayout;
    grid->addWidget(Heading(QStringLiteral("Pipe Material")), 0, 0);
    grid->addWidget(Heading(QStringLiteral("C Factor")), 0, 1);
    const QList<QStringList> rows = {
        {"Copper Pipe", "130"},
        {"HDPE", "130"},
        {"PVC", "130"},
        {"New Ductile Iron - Lined", "130"},
        {"Old Ductile Iron", "Check with someone that knows"},
        {"Old Galvanized Iron Pipe", "Check with someone that knows"},
    };
    for (int r = 0; r < rows.size(); ++r) {
        auto *material = new QLabel(rows[r][0]);
        grid->addWidget(material, r + 1, 0);
        grid->addWidget(Plain(rows[r][1]), r + 1, 1);
    }
    auto *top = new QVBoxLayout(this);
    top->addLayout(grid);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Close_Button(this, QStringLiteral("OK")));
    top->addLayout(buttons);
}

Frm_Calc_Flow::Frm_Calc_Flow(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Frm_Calc_Flow"));
    setWindowTitle(QStringLiteral("Calculation Flow"));
    auto *top = new QVBoxLayout(this);
    const auto section = [top](const QString &heading, const QString &text) {
        auto *h = Heading(heading);
        h->setAlignment(Qt::AlignLeft);
        top->addWidget(h);
        auto *body = new QLabel(text);
        body->setWordWrap(true);
        body->setMinimumWidth(420);
        top->addWidget(body);
    };
    section(QStringLiteral("Calc Using Continuous Flow"),
            QStringLiteral("Calculating meter size based on [Calc Using Continuous Flow] will select a meter that "
                           "the calculated maximum design flow does not exceed the maximum continuous flow of the "
                           "meter.  Typically continuous flow should be used for systems that use water for an "
                           "extended period of time, such as irrigation systems or industrial proses that uses "
                           "continuous flows."));
    section(QStringLiteral("Calc Using Maximum Flow"),
            QStringLiteral("Calculating meter size based on [Calc Using Maximum Flow] will select a meter that the "
                           "calculated maximum design flow does not exceed the intermittent maximum flow of the "
                           "meter.  Typically maximum flow can be used for most residential and medium commercials "
                           "buildings.  Some meters may make excessive noise at flows above the maximum continuous "
                           "flow rate."));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    auto *close = Close_Button(this, QStringLiteral("Close"));
    close->setObjectName(QStringLiteral("Button_Close"));
    buttons->addWidget(close);
    top->addLayout(buttons);
}
