#include "platform/widgets/box_events.h"

#include <memory>

#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QTimer>

#include "platform/widgets/key_codes.h"

namespace platform {

namespace {

std::unique_ptr<QMenu> standardMenuOf(QWidget* box) {
    if (auto* line = qobject_cast<QLineEdit*>(box))
        return std::unique_ptr<QMenu>(line->createStandardContextMenu());
    if (auto* plain = qobject_cast<QPlainTextEdit*>(box))
        return std::unique_ptr<QMenu>(plain->createStandardContextMenu());
    if (auto* rich = qobject_cast<QTextEdit*>(box))
        return std::unique_ptr<QMenu>(rich->createStandardContextMenu());
    return nullptr;
}

void call(const std::function<void()>& f) {
    if (f) f();
}

}  // namespace

bool isPasteKey(const QKeyEvent& key) {
    const bool shiftInsert =
        key.key() == Qt::Key_Insert && (key.modifiers() & ~Qt::KeypadModifier) == Qt::ShiftModifier;
    return shiftInsert || key.matches(QKeySequence::Paste);
}

bool dispatchBoxEvent(QObject* watched, QWidget* box, QEvent* event,
                      const BoxEventHandlers& handlers) {
    switch (event->type()) {
        case QEvent::KeyPress: {
            const auto& key = static_cast<const QKeyEvent&>(*event);
            if (handlers.keyDown) handlers.keyDown(key);
            int keyAscii = keyAsciiOf(key);
            if (keyAscii == 0 || !handlers.keyPress) return false;
            handlers.keyPress(keyAscii);
            return keyAscii == 0;  // a discarded key never reaches the box
        }
        case QEvent::KeyRelease:
            if (handlers.keyUp) handlers.keyUp(static_cast<const QKeyEvent&>(*event));
            return false;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            call(handlers.mouseDown);
            return false;
        case QEvent::MouseButtonRelease:
            call(handlers.mouseUp);
            return false;
        case QEvent::ContextMenu: {
            if (!handlers.guardContextMenu) return false;
            std::unique_ptr<QMenu> menu = standardMenuOf(box);
            if (!menu) return false;
            // The menu's Paste runs inside exec: the guard stays up until the menu is gone.
            call(handlers.mouseDown);
            menu->exec(static_cast<QContextMenuEvent*>(event)->globalPos());
            call(handlers.mouseUp);
            return true;
        }
        case QEvent::Drop:
            // Dropped text arrives after this event; the guard drops at the next turn of the loop.
            call(handlers.mouseDown);
            if (handlers.mouseUp) QTimer::singleShot(0, box, handlers.mouseUp);
            return false;
        case QEvent::FocusOut: {
            // The focus is the box's own, not its viewport's.
            if (watched != box) return false;
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            // A menu, a message box or another application taking the focus is no leaving.
            if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason)
                call(handlers.lostFocus);
            return false;
        }
        default:
            return false;
    }
}

}  // namespace platform
