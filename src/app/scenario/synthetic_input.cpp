#include "app/scenario/synthetic_input.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QWidget>
#include <iterator>

namespace app {
namespace {

bool takesClickFocus(const QWidget* w) {
    const QWidget* proxy = w;
    while (proxy->focusProxy()) proxy = proxy->focusProxy();
    const auto clickable = [](const QWidget* x) {
        return (x->focusPolicy() & Qt::ClickFocus) == Qt::ClickFocus;
    };
    return clickable(w) && clickable(proxy);
}

// The focus goes to the first enabled widget under the pointer, from the target up, that takes
// the focus by clicking; a widget on the way that holds the focus keeps it.
void focusOnPress(QWidget* target, QPoint at) {
    for (QWidget* w = target; w; w = w->parentWidget()) {
        if (w->isEnabled() && w->rect().contains(at) && takesClickFocus(w)) {
            w->setFocus(Qt::MouseFocusReason);
            return;
        }
        if (w->isWindow()) return;
        const QWidget* holder = w->focusProxy() ? w->focusProxy() : w;
        if (holder->hasFocus()) return;
        at += w->pos();
    }
}

void sendMouse(QWidget* target, QEvent::Type type, QPoint at, Qt::KeyboardModifiers modifiers) {
    if (type != QEvent::MouseButtonRelease) focusOnPress(target, at);
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(Qt::LeftButton);
    QMouseEvent event(type, at, target->mapToGlobal(at), Qt::LeftButton, held, modifiers);
    QApplication::sendEvent(target, &event);
}

void sendKey(QWidget* target, QEvent::Type type, int key, Qt::KeyboardModifiers modifiers,
             const QString& text) {
    // The application offers a press to the shortcuts first, as it does with the window system's.
    QKeyEvent event(type, key, modifiers, text);
    QApplication::sendEvent(target, &event);
}

// The modifier keys in the order they go down; each goes up with itself and those before it
// still held.
struct ModifierKey {
    Qt::KeyboardModifier flag;
    Qt::Key key;
};
constexpr ModifierKey kModifierKeys[] = {
    {Qt::ShiftModifier, Qt::Key_Shift},
    {Qt::ControlModifier, Qt::Key_Control},
    {Qt::AltModifier, Qt::Key_Alt},
    {Qt::MetaModifier, Qt::Key_Meta},
};

QString keyText(Qt::Key key) {
    switch (key) {
        case Qt::Key_Escape:
            return QStringLiteral("\x1b");
        case Qt::Key_Tab:
            return QStringLiteral("\t");
        case Qt::Key_Backtab:
            return QStringLiteral("\x0b");
        case Qt::Key_Backspace:
            return QStringLiteral("\b");
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return QStringLiteral("\r");
        default:
            break;
    }
    if (key >= Qt::Key_Space && key <= Qt::Key_ydiaeresis)
        return QString(QChar(static_cast<char16_t>(key)).toLower());
    return {};
}

int asciiKey(char32_t ch) {
    switch (ch) {
        case '\b':
            return Qt::Key_Backspace;
        case '\t':
            return Qt::Key_Tab;
        case '\x0b':
            return Qt::Key_Backtab;
        case '\r':
            return Qt::Key_Return;
        case '\x1b':
            return Qt::Key_Escape;
        default:
            break;
    }
    if (ch >= U'a' && ch <= U'z') return Qt::Key_A + static_cast<int>(ch - U'a');
    if (ch >= U' ' && ch <= U'~') return static_cast<int>(ch);
    return Qt::Key_unknown;
}

}  // namespace

void sendMouseClick(QWidget* target, QPoint at, Qt::KeyboardModifiers modifiers) {
    QPointer<QWidget> guard(target);
    sendMouse(target, QEvent::MouseButtonPress, at, modifiers);
    if (guard) sendMouse(target, QEvent::MouseButtonRelease, at, modifiers);
}

void sendMouseDoubleClick(QWidget* target, QPoint at) {
    QPointer<QWidget> guard(target);
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                              QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease}) {
        if (!guard) return;
        sendMouse(target, type, at, {});
    }
}

void sendKeyClick(QWidget* target, Qt::Key key, Qt::KeyboardModifiers modifiers) {
    QPointer<QWidget> guard(target);
    const QString text = keyText(key);
    Qt::KeyboardModifiers held;
    for (const ModifierKey& m : kModifierKeys) {
        if (!(modifiers & m.flag) || !guard) continue;
        sendKey(target, QEvent::KeyPress, m.key, held, {});
        held |= m.flag;
    }
    if (guard) sendKey(target, QEvent::KeyPress, key, modifiers, text);
    if (guard) sendKey(target, QEvent::KeyRelease, key, modifiers, text);
    for (auto m = std::rbegin(kModifierKeys); m != std::rend(kModifierKeys); ++m) {
        if (!(modifiers & m->flag) || !guard) continue;
        sendKey(target, QEvent::KeyRelease, m->key, held, {});
        held &= ~m->flag;
    }
}

void sendCharacter(QWidget* target, char32_t ch) {
    QPointer<QWidget> guard(target);
    const QString text = QString::fromUcs4(&ch, 1);
    const int key = ch < 0x80 ? asciiKey(ch) : Qt::Key_unknown;
    sendKey(target, QEvent::KeyPress, key, Qt::NoModifier, text);
    if (guard) sendKey(target, QEvent::KeyRelease, key, Qt::NoModifier, text);
}

}  // namespace app
