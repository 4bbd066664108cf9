#pragma once
// Mouse and keyboard input made up in the program and sent straight to a widget, as the window
// system would deliver it: through the application's event filters, the widget's own handlers,
// shortcut overrides and propagation to the parents. A press gives the focus as a real click
// does.

#include <QPoint>
#include <QString>
#include <Qt>

class QWidget;

namespace app {

// Press and release of the left button at `at` (the widget's coordinates).
void sendMouseClick(QWidget* target, QPoint at, Qt::KeyboardModifiers modifiers = {});
// What a double click sends: press, release, double click, release.
void sendMouseDoubleClick(QWidget* target, QPoint at);

// Press and release of a key, with the presses and releases of its modifier keys around it.
// The event's text is what the key types without Shift (a letter key types the small letter).
void sendKeyClick(QWidget* target, Qt::Key key, Qt::KeyboardModifiers modifiers = {});
// One typed character: a key of the keyboard for ASCII, else the character alone, as a keyboard
// layout sends it (no key code).
void sendCharacter(QWidget* target, char32_t ch);

}  // namespace app
