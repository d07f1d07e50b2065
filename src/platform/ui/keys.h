#pragma once
// Key codes, Shift states and mouse buttons as the window handlers receive them: key codes are the
// Windows virtual-key numbers the handlers compare with (13 Enter, 27 Esc, 38 Up, 65 "A", 112 F1),
// Shift is 1 Shift + 2 Ctrl + 4 Alt, buttons are 1 left, 2 right, 4 middle.
//
//   Text2.KeyDown = [this](int& keyCode, int shift) { if (keyCode == vbKeyDown) ...; };
//   if (keyCode == vbKeyP && shift == vbAltMask) ...

#include <QKeySequence>
#include <Qt>

class QKeyEvent;

constexpr int vbKeyBack = 8;
constexpr int vbKeyTab = 9;
constexpr int vbKeyReturn = 13;
constexpr int vbKeyShift = 16;
constexpr int vbKeyControl = 17;
constexpr int vbKeyMenu = 18;  // Alt
constexpr int vbKeyPause = 19;
constexpr int vbKeyEscape = 27;
constexpr int vbKeySpace = 32;
constexpr int vbKeyPageUp = 33;
constexpr int vbKeyPageDown = 34;
constexpr int vbKeyEnd = 35;
constexpr int vbKeyHome = 36;
constexpr int vbKeyLeft = 37;
constexpr int vbKeyUp = 38;
constexpr int vbKeyRight = 39;
constexpr int vbKeyDown = 40;
constexpr int vbKeySnapshot = 44;  // Print Screen
constexpr int vbKeyInsert = 45;
constexpr int vbKeyDelete = 46;
constexpr int vbKey0 = 48;
constexpr int vbKeyA = 65;
constexpr int vbKeyC = 67;
constexpr int vbKeyP = 80;
constexpr int vbKeyR = 82;
constexpr int vbKeyZ = 90;
constexpr int vbKeyNumpad0 = 96;
constexpr int vbKeyF1 = 112;
constexpr int vbKeyF12 = 123;

constexpr int vbShiftMask = 1;
constexpr int vbCtrlMask = 2;
constexpr int vbAltMask = 4;

constexpr int vbLeftButton = 1;
constexpr int vbRightButton = 2;
constexpr int vbMiddleButton = 4;

// The virtual-key code of a key event; 0 for keys that have none (dead keys, input-method keys).
int VbKeyCode(const QKeyEvent& e);
int VbShift(Qt::KeyboardModifiers m);
int VbButton(Qt::MouseButton b);
int VbButtons(Qt::MouseButtons b);
// The Qt key for a virtual-key code (Qt::Key_unknown when there is none).
Qt::Key QtKeyOf(int vk);
// A key that types no character, whatever text it brings: an Alt chord (Alt with Ctrl is AltGr on some
// keyboards, which types), or a standard edit key (select all, copy, cut, paste, undo, redo), whose text
// is its control character.
bool TypesNoCharacter(const QKeyEvent& e);
// The standard edit key a key is (QKeySequence::SelectAll, Copy, Cut, Paste, Undo, Redo, as the desktop
// binds them: Ctrl+C and Ctrl+Insert copy, Ctrl+V and Shift+Insert paste), else UnknownKey.
QKeySequence::StandardKey EditKeyOf(const QKeyEvent& e);
