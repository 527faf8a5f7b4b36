#pragma once

#include <QDialog>

#include <optional>

class QRadioButton;

// The plumbing diagram: the service drawn with the meter inside or outside
// the building. It opens on the given place (none chosen: the inside
// picture, no button set) and tells each place chosen here by Place_Chosen.
class Frm_Diagram : public QDialog {
    Q_OBJECT
public:
    explicit Frm_Diagram(std::optional<bool> inside, QWidget *parent = nullptr);
    QRadioButton *Opt_Inside = nullptr, *Opt_Outside = nullptr;
    QWidget *Picture_Inside = nullptr, *Picture_Outside = nullptr;

signals:
    void Place_Chosen(bool inside);

private:
    void Choose(bool inside);
};
