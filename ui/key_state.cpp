#include "key_state.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QWidget>
#include <QtGui/qguiapplication_platform.h>

#if QT_CONFIG(xcb)
namespace {
Lock_Keys Read_X11_Lock_Keys(Display *display);
} // namespace
#endif

Lock_Keys Read_Lock_Keys()
{
#if QT_CONFIG(xcb)
    auto *app = qobject_cast<QGuiApplication *>(QCoreApplication::instance());
    if (!app)
        return {};
    auto *x11 = app->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->display())
        return {};
    return Read_X11_Lock_Keys(x11->display());
#else
    return {};
#endif
}

Key_State_Panels::Key_State_Panels(QLabel *ins, QLabel *caps, QLabel *num, QWidget *window)
    : QObject(window), ins_(ins), caps_(caps), num_(num), window_(window)
{
    ins_->setAccessibleName(QStringLiteral("Insert key state"));
    caps_->setAccessibleName(QStringLiteral("Caps Lock state"));
    num_->setAccessibleName(QStringLiteral("Num Lock state"));
    // As wide as with the caption shown, so that switching on or off moves
    // no other panel.
    for (QLabel *panel : {ins, caps, num}) {
        panel->setText(panel == ins ? QStringLiteral("INS") : panel == caps ? QStringLiteral("CAPS")
                                                                             : QStringLiteral("NUM"));
        panel->setFixedWidth(panel->sizeHint().width());
    }
    qApp->installEventFilter(this);
    Refresh();
}

Key_State_Panels::~Key_State_Panels()
{
    qApp->removeEventFilter(this);
}

void Key_State_Panels::Set_Insert_On(bool on)
{
    insert_on_ = on;
    if (ins_)
        ins_->setText(on ? QStringLiteral("INS") : QString());
}

void Key_State_Panels::Refresh()
{
    if (!ins_ || !caps_ || !num_)
        return;
    const Lock_Keys keys = Read_Lock_Keys();
    ins_->setText(insert_on_ ? QStringLiteral("INS") : QString());
    caps_->setText(keys.Caps_Lock.value_or(false) ? QStringLiteral("CAPS") : QString());
    num_->setText(keys.Num_Lock.value_or(false) ? QStringLiteral("NUM") : QString());
}

bool Key_State_Panels::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
        return false;
    // A key event travels up from the focus widget to its parents; act on
    // its first delivery only.
    QWidget *first = QApplication::focusWidget() ? QApplication::focusWidget() : QApplication::activeWindow();
    if (watched != first)
        return false;
    const auto *key = static_cast<QKeyEvent *>(event);
    if (event->type() == QEvent::KeyPress && key->key() == Qt::Key_Insert && !key->isAutoRepeat()
        && key->modifiers() == Qt::NoModifier && first && first->window() == window_)
        insert_on_ = !insert_on_;
    Refresh();
    return false;
}

// The X11 part comes last: its headers define names (Bool, Status, None,
// KeyPress) that clash with Qt's.
#if QT_CONFIG(xcb)
#include <X11/XKBlib.h>
#include <X11/keysym.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace {

// A named keyboard indicator ("Caps Lock", "Num Lock"); without such an
// indicator, whether the lock modifier of the key is locked.
std::optional<bool> Read_Lock(Display *display, const char *indicator, KeySym key)
{
    // The indicator names are looked up once per display connection.
    struct Known { Display *display; Atom name; };
    static std::vector<std::pair<std::string, Known>> known;
    Atom name = None;
    auto it = std::find_if(known.begin(), known.end(),
                           [&](const auto &entry) { return entry.first == indicator && entry.second.display == display; });
    if (it != known.end()) {
        name = it->second.name;
    } else {
        name = XInternAtom(display, indicator, True);
        known.push_back({indicator, {display, name}});
    }
    Bool on = False;
    if (name != None && XkbGetNamedIndicator(display, name, nullptr, &on, nullptr, nullptr))
        return on != False;
    XkbStateRec state;
    if (XkbGetState(display, XkbUseCoreKbd, &state) != Success)
        return std::nullopt;
    const unsigned mask = XkbKeysymToModifiers(display, key);
    if (mask == 0)
        return std::nullopt;
    return (state.locked_mods & mask) != 0;
}

Lock_Keys Read_X11_Lock_Keys(Display *display)
{
    Lock_Keys keys;
    keys.Caps_Lock = Read_Lock(display, "Caps Lock", XK_Caps_Lock);
    keys.Num_Lock = Read_Lock(display, "Num Lock", XK_Num_Lock);
    return keys;
}

} // namespace
#endif
