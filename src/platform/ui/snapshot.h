#pragma once
// Window pictures, the clipboard, and the key strokes the program sends to itself.
//
//   SendKeyStroke(vbKeyMenu, vbKeySnapshot);   // Alt + Print Screen: the active window to the clipboard
//   SendKeyStroke(vbKeyMenu, vbKeyP);          // Alt + P to the active window (its own handler runs now)
//   if (ClipboardHasBitmap()) { Picture1.SetPicture(ClipboardBitmap()); SaveClipboardBitmap(path); }
//   SaveWindowBitmap(*this, path);             // straight from a window to a BMP file
//   SetClipboardText(Label6.text());
//
// SendKeyStroke(key) sends key down, key up; SendKeyStroke(key, second) sends key down, second down,
// second up, key up (Shift, Ctrl or Alt held around the second key). Tests record the events instead
// (KeyStrokeRecorder in responders.h).

#include <QImage>
#include <QString>
#include <functional>
#include <vector>

class QWidget;

void SendKeyStroke(int key, int secondKey = 0);

// Puts a picture of the window (its top-level window) on the clipboard.
bool GrabWindowToClipboard(QWidget& window);
bool ClipboardHasBitmap();
QImage ClipboardBitmap();
// Writes the clipboard's picture as a Windows bitmap file; false when it holds none or writing fails.
bool SaveClipboardBitmap(const QString& path);
bool SaveWindowBitmap(QWidget& window, const QString& path);
void ClearClipboard();
void SetClipboardText(const QString& text);
QString ClipboardText();

// Test hook.
struct KeyStrokeEvent {
  int key;
  bool down;
  bool operator==(const KeyStrokeEvent&) const = default;
};
using KeyStrokeHook = std::function<void(const std::vector<KeyStrokeEvent>& events)>;
KeyStrokeHook SetKeyStrokeHook(KeyStrokeHook hook);
