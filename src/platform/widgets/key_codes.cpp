#include "platform/widgets/key_codes.h"

#include <QKeyEvent>

namespace platform {

int keyAsciiOf(const QKeyEvent& event) {
    const Qt::KeyboardModifiers mods = event.modifiers() & ~Qt::KeypadModifier;
    if (mods == Qt::ControlModifier && event.key() >= Qt::Key_A && event.key() <= Qt::Key_Z)
        return event.key() - Qt::Key_A + 1;
    switch (event.key()) {
        case Qt::Key_Backspace:
            return 8;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return 13;
        case Qt::Key_Escape:
            return 27;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return 0;
        default:
            break;
    }
    const QString text = event.text();
    if (text.isEmpty() || mods & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return 0;
    return static_cast<int>(text.at(0).unicode());
}

}  // namespace platform
