#pragma once
// The events of an entry box as the screen's handlers take them: KeyDown, KeyPress with a
// character code the handler may discard, KeyUp, MouseDown / MouseUp around everything that may
// paste with the mouse (a click, the context menu's Paste, a drop), and LostFocus when the user
// leaves the box. The screen and both dialogs guard their boxes against pastes this way.

#include <functional>

class QEvent;
class QKeyEvent;
class QObject;
class QWidget;

namespace platform {

struct BoxEventHandlers {
    std::function<void(const QKeyEvent&)> keyDown;
    std::function<void(int& keyAscii)> keyPress;  // setting keyAscii to 0 discards the key
    std::function<void(const QKeyEvent&)> keyUp;
    std::function<void()> mouseDown;
    std::function<void()> mouseUp;
    std::function<void()> lostFocus;
    // false: the box shows its context menu itself, without MouseDown / MouseUp around it.
    bool guardContextMenu = true;
};

// Runs the handlers for one event that an event filter caught on `watched`, which is `box` or
// its viewport. True when the event is eaten: a discarded key, or the context menu shown here.
bool dispatchBoxEvent(QObject* watched, QWidget* box, QEvent* event,
                      const BoxEventHandlers& handlers);

// Shift+Insert, or the platform's paste keys (Ctrl+V).
bool isPasteKey(const QKeyEvent& key);

}  // namespace platform
