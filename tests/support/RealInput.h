#pragma once
// A person's input, made with SendInput: pointer moves and clicks at screen points, keys and typed
// text. The wineserver queues it as hardware input, so it reaches whichever process owns the window
// under the pointer (mouse) or the foreground window (keys), with the hover, capture and activation
// that real input brings. Each call pauses briefly between its steps, as a hand would, so that the
// target sees move, down and up as separate messages.
#include <windows.h>

#include <string>

namespace testenv {

// Moves the pointer to a screen point in a few steps from where it is, so that the windows on the
// way see it enter and leave.
bool MovePointerTo(POINT screen);
// Move there, press and release the left button.
bool ClickAt(POINT screen);

enum Modifier : unsigned { kNoModifier = 0, kShift = 1, kControl = 2, kAlt = 4 };
// One key press (down and up) with the given modifiers held; arrow keys and the like are sent as
// extended keys. Goes to the foreground window: see BringToForeground.
bool PressKey(WORD virtualKey, unsigned modifiers = kNoModifier);
// Types text character by character as Unicode key events (KEYEVENTF_UNICODE), whatever the layout.
bool TypeText(const std::wstring& text);

// Makes `window` the foreground window (keys go there) and waits until it is; false if it never
// became so.
bool BringToForeground(HWND window);

// The colour of one pixel of the screen (as drawn on the X server).
COLORREF ScreenPixel(POINT screen);

} // namespace testenv
