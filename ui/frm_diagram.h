#pragma once

#include <QDialog>

class Frm_Pressure;
class QRadioButton;

// The plumbing diagram: the service drawn with the meter inside or outside
// the building; choosing the place here also switches the details dialog.
class Frm_Diagram : public QDialog {
    Q_OBJECT
public:
    explicit Frm_Diagram(Frm_Pressure *details);
    QRadioButton *Opt_Inside = nullptr, *Opt_Outside = nullptr;
    QWidget *Picture_Inside = nullptr, *Picture_Outside = nullptr;

private:
    void Choose(bool inside);
    Frm_Pressure *details_;
};
