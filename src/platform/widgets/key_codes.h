#pragma once
// The character code a key press offers to a box's key rules (0 when the key types nothing).

class QKeyEvent;

namespace platform {

// Control letters as their codes (Ctrl+V is 22), Backspace 8, Enter 13, Escape 27, else the
// typed character; 0 for keys that type nothing (Tab moves the focus).
int keyAsciiOf(const QKeyEvent& event);

}  // namespace platform
