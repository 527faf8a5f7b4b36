#pragma once

#include <QLabel>
#include <QObject>
#include <QPointer>
#include <optional>

class QWidget;

// The lock keys as the window system reports them. A key the platform
// cannot tell about (no X server, an offscreen or Wayland session) has
// no value: its panel is left empty rather than guessed.
struct Lock_Keys {
    std::optional<bool> Caps_Lock;
    std::optional<bool> Num_Lock;
};
Lock_Keys Read_Lock_Keys();

// The INS, CAPS and NUM panels of a status bar. INS is a state the window
// keeps, switched by the Insert key pressed in that window; CAPS and NUM
// are read from the keyboard whenever Refresh runs (the status timer) and
// after every key press or release in the program.
class Key_State_Panels : public QObject {
    Q_OBJECT
public:
    Key_State_Panels(QLabel *ins, QLabel *caps, QLabel *num, QWidget *window);
    ~Key_State_Panels() override;

    void Refresh();
    bool Insert_On() const { return insert_on_; }
    void Set_Insert_On(bool on);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPointer<QLabel> ins_, caps_, num_; // the window may delete its panels first
    QWidget *window_;
    bool insert_on_ = false;
};
