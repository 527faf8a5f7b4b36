#pragma once

#include <QDialog>
#include <QTimer>

class QLabel;

// The About box. Shown as the startup splash it closes itself after 1.2 s;
// opened from the menu it stays until a key press or a click on its frame,
// its title, the maker's name or "Win32". A hidden spot over the title
// opens Frm_Egg.
class Frm_About : public QDialog {
    Q_OBJECT
public:
    // startup: 0 while the startup splash has not been dismissed, then 1.
    Frm_About(const QString &version, int &startup, QWidget *parent = nullptr);

    QTimer *Timer1() { return &timer_; }
    QLabel *Hot_Spot() const { return hot_spot_; }

    void Timer_Tick();
    void Hot_Spot_Clicked();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    int &startup_;
    QTimer timer_;
    QLabel *hot_spot_ = nullptr;
    QList<QObject *> closing_;  // clicks on these close the box
    QList<QObject *> inert_;    // clicks on these do nothing
};

// The hidden picture window: a picture and "OK"; any key closes it.
class Frm_Egg : public QDialog {
    Q_OBJECT
public:
    explicit Frm_Egg(QWidget *parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent *event) override;
};
