#pragma once

#include <QDialog>
#include <QLabel>
#include <QMap>
#include <QPointer>

class QLineEdit;

// The pipe size reference: internal diameters of common pipe materials.
// Clicking a diameter writes its text into the field that the code in
// Spot1 names (21 to 25) and closes the dialog.
class Frm_Size : public QDialog {
    Q_OBJECT
public:
    Frm_Size(int &spot1, const QMap<int, QLineEdit *> &targets, QWidget *parent = nullptr);
    ~Frm_Size() override;

    static constexpr int Diameter_Count = 35;
    QList<QLabel *> Diameters() const { return diameters_; }

    // A diameter was clicked: fill the target of Spot1, then close.
    void Choose(const QString &diameter);
    // Mouse over a diameter (nullptr: over the background).
    void Highlight(QLabel *diameter);

protected:
    void mouseMoveEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    QLabel *Diameter(const QString &text);
    int &spot1_;
    QMap<int, QPointer<QLineEdit>> targets_;
    QList<QLabel *> diameters_;
};

// The C factors used for friction losses, for reading only.
class Frm_CFactor : public QDialog {
    Q_OBJECT
public:
    explicit Frm_CFactor(QWidget *parent = nullptr);
};

// What the maximum and the continuous flow basis mean.
class Frm_Calc_Flow : public QDialog {
    Q_OBJECT
public:
    explicit Frm_Calc_Flow(QWidget *parent = nullptr);
};
