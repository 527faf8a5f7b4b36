#pragma once

#include "prompt.h"
#include "sizing_job.h"

#include <QDialog>
#include <QMap>

#include <memory>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
namespace Ui {
class Frm_Pressure;
}

// The pressure details of the job: the service from the water main to the
// meter, the building plumbing to the controlling fixture, up-sizing and
// the meter's place. Values are copied in on opening and stored only by Ok.
class Frm_Pressure : public QDialog {
    Q_OBJECT
public:
    Frm_Pressure(Sizing_Job &job, int &flag_save, int &spot1, Prompt &prompt, const QString &version,
                 QWidget *parent = nullptr);
    ~Frm_Pressure() override;

    // The captions of the service lateral fields follow the meter's place.
    void DSB_Change_Meter_Location();
    void Ok();

    QMap<QString, QLineEdit *> Boxes; // by field name: "Pressure_Min_Main", ...
    QMap<QString, QLabel *> Captions;
    QCheckBox *Chk_No_Upsize = nullptr;
    QRadioButton *Opt_Meter_Inside = nullptr, *Opt_Meter_Outside = nullptr;

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Show_Pipe_Sizes(int code);
    void Show_Diagram();
    void Fit_Fields_To_Screen();

    std::unique_ptr<Ui::Frm_Pressure> ui_; // the layout, from frm_pressure.ui
    Sizing_Job &job_;
    int &flag_save_;
    int &spot1_;
    Prompt &prompt_;
    bool sized_ = false;
};
