#include "frm_meter_lists.h"

#include "number_format.h"
#include "user_file.h"

#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

const QString Csv_Filters = QStringLiteral("CSV Files (*.csv)|*.csv|All Files (*.*)|*.*|");

} // namespace

Frm_Meter_Lists::Frm_Meter_Lists(Program_State &state, Prompt &prompts, std::function<void()> lists_changed,
                                 QWidget *parent)
    : QDialog(parent), state_(state), prompts_(prompts), lists_changed_(std::move(lists_changed))
{
    setObjectName(QStringLiteral("Frm_Meter_Lists"));
    setWindowTitle(QStringLiteral("Meter Lists"));
    Lists = new QListWidget;
    Lists->setObjectName(QStringLiteral("Lists"));
    Lists->setMinimumWidth(Lists->fontMetrics().averageCharWidth() * 40);
    TB_Name = new QLineEdit;
    TB_Description = new QLineEdit;
    TB_Date = new QLineEdit;
    TB_Date->setPlaceholderText(QStringLiteral("MM/DD/YYYY"));
    CB_Status = new QComboBox;
    CB_Status->addItems({QStringLiteral("unstated"), QStringLiteral("verified"), QStringLiteral("estimate")});
    TB_Estimate = new QLineEdit;
    TB_Estimate->setPlaceholderText(QStringLiteral("what is estimated"));
    TB_Sources = new QPlainTextEdit;
    TB_Sources->setPlaceholderText(QStringLiteral("One source a line: the maker's data sheet (title, date, table) or the standard"));
    TB_Sources->setFixedHeight(TB_Sources->fontMetrics().lineSpacing() * 4 + 10);
    Grid = new QTableWidget(0, int(Meter_Csv_Columns.size()));
    QStringList headers;
    for (const QString &c : Meter_Csv_Columns)
        headers << QString(c).replace(QStringLiteral(" ("), QStringLiteral("\n("));
    Grid->setHorizontalHeaderLabels(headers);
    Grid->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    Lab_Problem = new QLabel;
    Lab_Problem->setObjectName(QStringLiteral("Lab_Problem"));
    Lab_Problem->setWordWrap(true);
    Lab_Problem->setStyleSheet(QStringLiteral("color: #b00000; font-weight: bold"));
    const auto button = [this](const char *text, auto slot) {
        auto *b = new QPushButton(QString::fromUtf8(text));
        connect(b, &QPushButton::clicked, this, slot);
        return b;
    };
    Pb_New = button("New", [this] { New_List(); });
    Pb_Copy = button("Copy", [this] { Copy_List(); });
    Pb_Import = button("Import CSV…", [this] { Import_Csv(); });
    Pb_Export = button("Export CSV…", [this] { Export_Csv(); });
    Pb_Delete = button("Delete", [this] { Delete_List(); });
    Pb_Save = button("Save", [this] { Save_List(); });
    Pb_Add_Row = button("Add Meter", [this] { Grid->insertRow(Grid->currentRow() < 0 ? Grid->rowCount() : Grid->currentRow() + 1); });
    Pb_Remove_Row = button("Remove Meter", [this] {
        if (Grid->currentRow() >= 0)
            Grid->removeRow(Grid->currentRow());
    });
    auto *close_button = button("Close", [this] { close(); });

    auto *status_row = new QHBoxLayout;
    status_row->addWidget(CB_Status);
    status_row->addWidget(TB_Estimate, 1);
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("File name"), TB_Name);
    form->addRow(QStringLiteral("Description"), TB_Description);
    form->addRow(QStringLiteral("Date"), TB_Date);
    form->addRow(QStringLiteral("Status"), status_row);
    form->addRow(QStringLiteral("Sources"), TB_Sources);
    auto *rows = new QHBoxLayout;
    rows->addWidget(Pb_Add_Row);
    rows->addWidget(Pb_Remove_Row);
    rows->addStretch();
    auto *right = new QVBoxLayout;
    right->addLayout(form);
    right->addWidget(Grid, 1);
    right->addLayout(rows);
    right->addWidget(Lab_Problem);
    auto *left = new QVBoxLayout;
    left->addWidget(Lists, 1);
    for (QPushButton *b : {Pb_New, Pb_Copy, Pb_Import, Pb_Export, Pb_Delete})
        left->addWidget(b);
    auto *top = new QHBoxLayout;
    top->addLayout(left);
    top->addLayout(right, 1);
    auto *bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(Pb_Save);
    bottom->addWidget(close_button);
    auto *all = new QVBoxLayout(this);
    all->addLayout(top, 1);
    all->addLayout(bottom);
    resize(1100, 560);
    connect(Lists, &QListWidget::currentRowChanged, this, [this](int row) { Show_List(row); });
    Refresh_Lists(state_.Settings.Set_Meter_Table);
}

void Frm_Meter_Lists::Refresh_Lists(const QString &select)
{
    places_ = Meter_List_Places(state_);
    const QSignalBlocker block(Lists);
    Lists->clear();
    int current = -1;
    for (const Meter_List_Place &p : std::as_const(places_)) {
        Lists->addItem(QStringLiteral("%1  [%2, %3]").arg(p.Name, p.Status, p.User_Own ? QStringLiteral("yours") : QStringLiteral("shipped")));
        Lists->item(Lists->count() - 1)->setToolTip(p.Path);
        if (p.Name.compare(select, Qt::CaseInsensitive) == 0)
            current = Lists->count() - 1;
    }
    Lists->setCurrentRow(current);
    Show_List(current);
}

void Frm_Meter_Lists::Set_Editable(bool editable)
{
    for (QWidget *w : std::initializer_list<QWidget *>{TB_Name, TB_Description, TB_Date, TB_Estimate, TB_Sources})
        if (auto *line = qobject_cast<QLineEdit *>(w))
            line->setReadOnly(!editable);
    TB_Sources->setReadOnly(!editable);
    CB_Status->setEnabled(editable);
    Grid->setEditTriggers(editable ? QAbstractItemView::AllEditTriggers : QAbstractItemView::NoEditTriggers);
    for (QPushButton *b : {Pb_Save, Pb_Add_Row, Pb_Remove_Row, Pb_Import})
        b->setEnabled(editable);
}

void Frm_Meter_Lists::Fill_Grid(const Meter_List &list)
{
    Grid->setRowCount(0);
    for (const Meter_Entry &e : list.Entries) {
        const int r = Grid->rowCount();
        Grid->insertRow(r);
        const QStringList cells = Meter_Entry_Cells(e);
        for (int c = 0; c < cells.size(); ++c)
            Grid->setItem(r, c, new QTableWidgetItem(cells[c]));
    }
}

void Frm_Meter_Lists::Fill(const Meter_List &list, const QString &name, bool editable)
{
    shown_ = list.Provenance;
    TB_Name->setText(name);
    TB_Description->setText(list.Description);
    TB_Date->setText(list.Date.isValid() ? list.Date.toString(QStringLiteral("MM/dd/yyyy")) : QString());
    CB_Status->setCurrentIndex(list.Provenance.Verified() ? 1 : list.Provenance.Estimate() ? 2 : 0);
    const QString status = list.Provenance.Status;
    TB_Estimate->setText(status.startsWith(QStringLiteral("estimate: ")) ? status.mid(10) : QString());
    TB_Sources->setPlainText(list.Provenance.Sources.join(u'\n'));
    Fill_Grid(list);
    Lab_Problem->clear();
    Set_Editable(editable);
}

void Frm_Meter_Lists::Show_List(int row)
{
    Pb_Copy->setEnabled(row >= 0);
    Pb_Export->setEnabled(row >= 0);
    Pb_Delete->setEnabled(row >= 0 && places_[row].User_Own);
    if (row < 0 || row >= places_.size()) {
        Fill(Meter_List(), QString(), true);
        return;
    }
    Meter_List list;
    Load_Meter_List(list, places_[row].Path);
    Fill(list, places_[row].Name, places_[row].User_Own);
}

void Frm_Meter_Lists::New_List()
{
    const QSignalBlocker block(Lists);
    Lists->setCurrentRow(-1);
    Meter_List list;
    list.Date = QDate::currentDate();
    Fill(list, QStringLiteral("My-Meters.mtr"), true);
    Grid->insertRow(0);
    Pb_Delete->setEnabled(false);
}

void Frm_Meter_Lists::Copy_List()
{
    Meter_List list;
    const int row = Lists->currentRow();
    if (row < 0)
        return;
    Load_Meter_List(list, places_[row].Path);
    list.Date = QDate::currentDate();
    const QSignalBlocker block(Lists);
    Lists->setCurrentRow(-1);
    Fill(list, QStringLiteral("Copy-of-") + places_[row].Name, true);
    Pb_Delete->setEnabled(false);
}

bool Frm_Meter_Lists::Edited_List(Meter_List &list, QString *error) const
{
    list = Meter_List();
    list.Description = TB_Description->text();
    list.Date = Parse_Date_Text(TB_Date->text().trimmed());
    if (!list.Date.isValid()) {
        *error = QStringLiteral("the date \"%1\" is not a date (MM/DD/YYYY)").arg(TB_Date->text());
        return false;
    }
    for (const QString &line : TB_Sources->toPlainText().split(u'\n'))
        if (!line.trimmed().isEmpty())
            list.Provenance.Sources << line.trimmed();
    const QString estimate = TB_Estimate->text().trimmed();
    list.Provenance.Status = CB_Status->currentIndex() == 1   ? QStringLiteral("verified")
                             : CB_Status->currentIndex() == 2 ? QStringLiteral("estimate")
                                                                    + (estimate.isEmpty() ? QString() : QStringLiteral(": ") + estimate)
                                                              : QString();
    if (list.Provenance.Estimate())
        list.Provenance.Estimates = shown_.Estimates;
    for (int r = 0; r < Grid->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < Grid->columnCount(); ++c)
            cells << (Grid->item(r, c) ? Grid->item(r, c)->text() : QString());
        Meter_Entry e;
        QString reason;
        if (!Meter_Entry_From_Cells(cells, e, &reason)) {
            *error = QStringLiteral("row %1%2: %3")
                         .arg(r + 1)
                         .arg(cells[0].trimmed().isEmpty() ? QString() : QStringLiteral(" (%1)").arg(cells[0].trimmed()), reason);
            return false;
        }
        list.Entries << e;
    }
    return true;
}

void Frm_Meter_Lists::Refuse(const QString &text, int row)
{
    Lab_Problem->setText(text);
    if (row >= 0)
        Grid->selectRow(row);
    prompts_.Show_Message(text);
}

bool Frm_Meter_Lists::Save_List()
{
    const QString name = TB_Name->text().trimmed();
    if (const QString problem = User_List_Name_Problem(state_, name); !problem.isEmpty()) {
        Refuse(QStringLiteral("Not saved: %1.").arg(problem));
        return false;
    }
    Meter_List list;
    QString error;
    if (!Edited_List(list, &error)) {
        Refuse(QStringLiteral("Not saved: %1.").arg(error), error.section(u' ', 1, 1).toInt() - 1);
        return false;
    }
    const Meter_List_Problem problem = Check_Meter_List(list);
    if (!problem.Ok()) {
        Refuse(problem.Meter > 0 ? QStringLiteral("Not saved: row %1 (%2): %3.")
                                       .arg(problem.Meter)
                                       .arg(list.Entries[problem.Meter - 1].Size_Label, problem.Reason)
                                 : QStringLiteral("Not saved: %1.").arg(problem.Reason),
               problem.Meter - 1);
        return false;
    }
    const QString path = User_Meter_List_Folder(state_) + u'/' + name;
    if (!Save_Meter_List(list, path, &error)) {
        Refuse(QStringLiteral("Not saved: %1.").arg(error));
        return false;
    }
    Refresh_Lists(name);
    if (lists_changed_)
        lists_changed_();
    return true;
}

void Frm_Meter_Lists::Delete_List()
{
    const int row = Lists->currentRow();
    if (row < 0 || !places_[row].User_Own)
        return;
    if (places_[row].Name.compare(state_.Settings.Set_Meter_Table, Qt::CaseInsensitive) == 0) {
        Refuse(QStringLiteral("%1 is the meter list in use; choose another list in Options first.").arg(places_[row].Name));
        return;
    }
    if (prompts_.Ask_Yes_No(QStringLiteral("Delete your meter list %1?").arg(places_[row].Name)) != Prompt::Answer::Yes)
        return;
    if (!QFile::remove(places_[row].Path)) {
        Refuse(QStringLiteral("%1 could not be deleted.").arg(places_[row].Path));
        return;
    }
    Refresh_Lists();
    if (lists_changed_)
        lists_changed_();
}

void Frm_Meter_Lists::Import_Csv()
{
    const QString path = prompts_.Choose_Open_File(QString(), QString(), Csv_Filters, 0);
    if (path.isEmpty())
        return;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        Refuse(QStringLiteral("%1 cannot be opened: %2").arg(path, file.errorString()));
        return;
    }
    Meter_List list;
    QString error;
    if (!Meter_List_From_Csv(file.readAll(), list, &error)) {
        Refuse(QStringLiteral("Not imported: %1: %2.").arg(QFileInfo(path).fileName(), error));
        return;
    }
    Fill_Grid(list);
    if (TB_Description->text().isEmpty())
        TB_Description->setText(QFileInfo(path).completeBaseName());
    Lab_Problem->clear();
}

void Frm_Meter_Lists::Export_Csv()
{
    Meter_List list;
    QString error;
    if (!Edited_List(list, &error)) {
        Refuse(QStringLiteral("Not exported: %1.").arg(error));
        return;
    }
    const QString path = prompts_.Choose_Save_File(QString(), QFileInfo(TB_Name->text()).completeBaseName() + QStringLiteral(".csv"),
                                                   Csv_Filters, 0);
    if (path.isEmpty())
        return;
    if (!Write_User_File(path, Meter_List_Csv(list), &error))
        Refuse(QStringLiteral("%1 could not be written: %2").arg(path, Reason_Text(error)));
}
