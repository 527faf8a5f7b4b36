#include "frm_update.h"

#include "frm_download.h"
#include "number_format.h"
#include "update_run.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QString Mark_Text()
{
    return QStringLiteral("<b style=\"color:#c8423b\">&lt;&lt; newer</b>");
}

QDate Manifest_Date(const QString &text)
{
    return Parse_Date_Text(text);
}

} // namespace

Frm_Update::Frm_Update(const Local_State &local, QWidget *parent) : QDialog(parent), local_(local)
{
    setObjectName(QStringLiteral("Frm_Update"));
    setWindowTitle(QStringLiteral("Update"));
    setAttribute(Qt::WA_DeleteOnClose);
    if (parent)
        parent->installEventFilter(this);
    auto *grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("<b>Program Files</b>")), 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("<b>Your Computer Versions</b>")), 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("<b>Server Versions</b>")), 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("<b>Update</b>")), 0, 4);
    const QStringList rows = {QStringLiteral("Program"), QStringLiteral("Table-1"), QStringLiteral("Table-2"),
                              QStringLiteral("Table-3")};
    for (int r = 0; r < 4; ++r) {
        auto *comp = new QLabel;
        auto *serv = new QLabel;
        auto *mark = new QLabel(Mark_Text());
        auto *tick = new QCheckBox;
        const QString suffix = r == 0 ? QStringLiteral("Program") : QStringLiteral("Table%1").arg(r);
        comp->setObjectName(QStringLiteral("Lab_Comp_") + suffix);
        serv->setObjectName(QStringLiteral("Lab_Serv_") + suffix);
        mark->setObjectName(QStringLiteral("Image%1").arg(r + 2));
        tick->setObjectName(QStringLiteral("Chk_") + suffix);
        tick->setAccessibleName(QStringLiteral("Update ") + rows[r]);
        mark->hide();
        grid->addWidget(new QLabel(rows[r]), r + 1, 0);
        grid->addWidget(comp, r + 1, 1);
        grid->addWidget(serv, r + 1, 2);
        grid->addWidget(mark, r + 1, 3);
        grid->addWidget(tick, r + 1, 4);
        Image_Newer[r] = mark;
        if (r == 0) {
            Lab_Comp_Program = comp;
            Lab_Serv_Program = serv;
            Chk_Program = tick;
        } else {
            Lab_Comp_Table[r - 1] = comp;
            Lab_Serv_Table[r - 1] = serv;
            Chk_Table[r - 1] = tick;
        }
    }
    LB_Files = new QListWidget;
    LB_Files->setObjectName(QStringLiteral("LB_Files"));
    LB_Files->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    LB_Files->setMinimumWidth(560);
    LB_Files->setAccessibleName(QStringLiteral("Meter Lists"));
    Lab_Wait = new QLabel(QStringLiteral("Please Wait ...."));
    Lab_Wait->setObjectName(QStringLiteral("Lab_Wait"));
    Lab_Error = new QLabel;
    Lab_Error->setObjectName(QStringLiteral("Lab_Error"));
    Lab_Error->setWordWrap(true);
    Lab_Error->hide();
    Button_Update = new QPushButton(QStringLiteral("Update"));
    Button_Update->setObjectName(QStringLiteral("Button_Update"));
    auto *cancel = new QPushButton(QStringLiteral("Cancel"));
    cancel->setObjectName(QStringLiteral("Button_Cancel"));
    auto *header = new QLabel(QStringLiteral("<b>Meter Lists</b>"));
    auto *columns = new QLabel(QStringLiteral("    File Name") + QString(17, u' ') + QStringLiteral("Your Computer  Server       Update"));
    columns->setFont(LB_Files->font());

    auto *buttons = new QHBoxLayout;
    auto *status = new QVBoxLayout;
    status->addWidget(Lab_Wait);
    status->addWidget(Lab_Error); // why the check failed, under "Oops Server Error"
    buttons->addLayout(status, 1);
    buttons->addWidget(Button_Update);
    buttons->addWidget(cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(header);
    layout->addWidget(columns);
    layout->addWidget(LB_Files);
    layout->addLayout(buttons);

    connect(cancel, &QPushButton::clicked, this, &Frm_Update::Request_Cancel);
    connect(LB_Files, &QListWidget::itemChanged, this, &Frm_Update::Item_Check);
    connect(Button_Update, &QPushButton::clicked, this, &Frm_Update::Run);
}

void Frm_Update::Request_Cancel()
{
    if (busy_)
        cancel_requested_ = true; // the load or run ends at its next safe point and closes the dialog
    else
        close();
}

void Frm_Update::closeEvent(QCloseEvent *event)
{
    if (busy_) {
        cancel_requested_ = true;
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

// The owner (the options dialog) is not closed while a load or run is
// under way: closing it would delete this dialog under the run.
bool Frm_Update::eventFilter(QObject *watched, QEvent *event)
{
    if (busy_ && watched == parent() && event->type() == QEvent::Close) {
        cancel_requested_ = true;
        event->ignore();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void Frm_Update::reject()
{
    if (busy_)
        cancel_requested_ = true;
    else
        QDialog::reject();
}

void Frm_Update::Load()
{
    if (busy_)
        return;
    Lab_Comp_Program->setText(local_.Version);
    for (int t = 0; t < 3; ++t)
        Lab_Comp_Table[t]->setText(local_.Table_Date[t].toString(QStringLiteral("MM/dd/yyyy")));
    busy_ = true;
    QString error;
    Manifest = Fetch_Manifest(local_.Server_Name, local_.App_Path + QStringLiteral("/Update.txt"), local_.Timeout_Ms,
                              &error, [this] { return cancel_requested_; });
    busy_ = false;
    if (cancel_requested_) {
        close();
        return;
    }
    if (error == Drive_Letter_Message(local_.Server_Name) && local_.Show_Message)
        local_.Show_Message(error);
    Lab_Serv_Program->setText(Manifest.Server_Version);
    for (int t = 0; t < 3; ++t)
        Lab_Serv_Table[t]->setText(Manifest.Table_Date[t]);
    Lab_Wait->setText(Manifest.Server_Version.isEmpty() ? QStringLiteral("Oops Server Error") : QStringLiteral("Ready"));
    if (Manifest.Server_Version.isEmpty() && !error.isEmpty()) {
        Lab_Error->setText(error.left(1).toUpper() + error.mid(1) + (error.endsWith(u'.') ? QString() : QStringLiteral(".")));
        Lab_Error->show();
    }
    Image_Newer[0]->setVisible(Update_Version_Number(local_.Version) < Update_Version_Number(Manifest.Server_Version));
    for (int t = 0; t < 3; ++t) {
        const QDate server = Manifest_Date(Manifest.Table_Date[t]);
        Image_Newer[t + 1]->setVisible(server.isValid()
                                       && (!local_.Table_Date[t].isValid() || server > local_.Table_Date[t]));
    }
    Update_List = Build_Update_List(Local_Meter_Lists(local_.App_Path), Manifest.Lists);
    LB_Files->blockSignals(true);
    LB_Files->clear();
    for (const Update_List_Row &row : std::as_const(Update_List)) {
        auto *item = new QListWidgetItem(Update_Row_Text(row), LB_Files);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    LB_Files->blockSignals(false);
}

void Frm_Update::Item_Check(QListWidgetItem *item)
{
    const int index = LB_Files->row(item);
    if (index < 0 || index >= Update_List.size())
        return;
    Update_List_Row &row = Update_List[index];
    row.Update_Mark = item->checkState() == Qt::Checked;
    if (row.Server_Date == u"None" && row.Update_Mark) {
        // A list that the source does not hold cannot be chosen.
        row.Update_Mark = false;
        LB_Files->blockSignals(true);
        item->setCheckState(Qt::Unchecked);
        LB_Files->blockSignals(false);
    }
}

Update_Choice Frm_Update::Choice() const
{
    Update_Choice choice;
    choice.Program = Chk_Program->isChecked();
    for (int t = 0; t < 3; ++t)
        choice.Table[t] = Chk_Table[t]->isChecked();
    for (const Update_List_Row &row : Update_List) {
        if (!row.Update_Mark)
            continue;
        choice.Meter_Lists << row.Name;
        if (!row.Server_Name.isEmpty() && row.Server_Name != row.Name)
            choice.Source_Names.insert(row.Name, row.Server_Name);
    }
    return choice;
}

void Frm_Update::Run()
{
    if (busy_)
        return;
    busy_ = true;
    cancel_requested_ = false;
    Button_Update->setEnabled(false);
    Lab_Wait->setText(QStringLiteral("Please Wait, Updating Files"));
    const Update_Choice choice = Choice();
    for (auto *old : findChildren<Frm_Download *>())
        delete old;
    auto *progress = new Frm_Download(Update_Step_Count(choice), local_.App_Path, this);
    connect(progress, &Frm_Download::Cancel_Requested, this, [this] { cancel_requested_ = true; });
    progress->show();
    Update_Run_Context context;
    context.App_Path = local_.App_Path;
    context.Server_Name = local_.Server_Name;
    context.Today = QDate::currentDate();
    context.Limits.Inactivity_Ms = local_.Timeout_Ms;
    context.Manifest_Sha256 = Manifest.Sha256;
    context.Advance = [progress] { progress->Advance(); };
    context.Bytes = [progress](const QString &name, qint64 received, qint64 total) { progress->Set_Bytes(name, received, total); };
    context.Cancelled = [this] { return cancel_requested_; };
    Last_Result = Run_Update(context, choice);
    const Update_Run_Result &result = Last_Result;
    progress->Finish();
    progress->close();
    progress->deleteLater();
    busy_ = false;
    const auto show = [this](const QString &text) {
        if (local_.Show_Message)
            local_.Show_Message(text);
    };
    if (result.Cancelled) {
        Lab_Wait->setText(QStringLiteral("Cancelled"));
        close();
        return;
    }
    if (result.Nothing_Selected) {
        show(result.Messages.first());
        close();
        return;
    }
    if (!result.Anything_Replaced()) {
        // Nothing changed: say what failed; the program goes on.
        Lab_Wait->setText(QStringLiteral("Nothing was replaced"));
        for (const QString &m : result.Messages)
            show(m);
        if (cancel_requested_)
            close();
        return;
    }
    Lab_Wait->setText(QStringLiteral("Complete"));
    for (const QString &m : result.Messages)
        show(m);
    if (local_.End_Program)
        local_.End_Program();
}
