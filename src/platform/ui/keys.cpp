#include "platform/ui/keys.h"

#include <QKeyEvent>
#include <QKeySequence>

namespace {

struct Pair {
  int qt;
  int vk;
};

// Keys whose code does not follow from a letter, digit or function-key range. Symbol keys follow the
// US layout, as the virtual keys are named after it.
constexpr Pair kKeys[] = {
    {Qt::Key_Backspace, 8},     {Qt::Key_Tab, 9},          {Qt::Key_Backtab, 9},
    {Qt::Key_Return, 13},       {Qt::Key_Enter, 13},       {Qt::Key_Shift, 16},
    {Qt::Key_Control, 17},      {Qt::Key_Alt, 18},         {Qt::Key_AltGr, 18},
    {Qt::Key_Pause, 19},        {Qt::Key_CapsLock, 20},    {Qt::Key_Escape, 27},
    {Qt::Key_Space, 32},        {Qt::Key_PageUp, 33},      {Qt::Key_PageDown, 34},
    {Qt::Key_End, 35},          {Qt::Key_Home, 36},        {Qt::Key_Left, 37},
    {Qt::Key_Up, 38},           {Qt::Key_Right, 39},       {Qt::Key_Down, 40},
    {Qt::Key_Print, 44},        {Qt::Key_Insert, 45},      {Qt::Key_Delete, 46},
    {Qt::Key_Meta, 91},         {Qt::Key_Menu, 93},        {Qt::Key_NumLock, 144},
    {Qt::Key_ScrollLock, 145},  {Qt::Key_Semicolon, 186},  {Qt::Key_Colon, 186},
    {Qt::Key_Equal, 187},       {Qt::Key_Plus, 187},       {Qt::Key_Comma, 188},
    {Qt::Key_Less, 188},        {Qt::Key_Minus, 189},      {Qt::Key_Underscore, 189},
    {Qt::Key_Period, 190},      {Qt::Key_Greater, 190},    {Qt::Key_Slash, 191},
    {Qt::Key_Question, 191},    {Qt::Key_QuoteLeft, 192},  {Qt::Key_AsciiTilde, 192},
    {Qt::Key_BracketLeft, 219}, {Qt::Key_BraceLeft, 219},  {Qt::Key_Backslash, 220},
    {Qt::Key_Bar, 220},         {Qt::Key_yen, 220},        {Qt::Key_BracketRight, 221},
    {Qt::Key_BraceRight, 221},  {Qt::Key_Apostrophe, 222}, {Qt::Key_QuoteDbl, 222},
    {Qt::Key_Exclam, 49},       {Qt::Key_At, 50},          {Qt::Key_NumberSign, 51},
    {Qt::Key_Dollar, 52},       {Qt::Key_Percent, 53},     {Qt::Key_AsciiCircum, 54},
    {Qt::Key_Ampersand, 55},    {Qt::Key_Asterisk, 56},    {Qt::Key_ParenLeft, 57},
    {Qt::Key_ParenRight, 48},
};

int KeypadCode(int key) {
  if (key >= Qt::Key_0 && key <= Qt::Key_9) return 96 + (key - Qt::Key_0);
  switch (key) {
    case Qt::Key_Asterisk:
      return 106;
    case Qt::Key_Plus:
      return 107;
    case Qt::Key_Minus:
      return 109;
    case Qt::Key_Period:
      return 110;
    case Qt::Key_Slash:
      return 111;
    default:
      return 0;
  }
}

}  // namespace

int VbKeyCode(const QKeyEvent& e) {
  const int key = e.key();
  if (e.modifiers() & Qt::KeypadModifier) {
    if (const int k = KeypadCode(key)) return k;
  }
  if (key >= Qt::Key_A && key <= Qt::Key_Z) return key;  // the same numbers
  if (key >= Qt::Key_0 && key <= Qt::Key_9) return key;
  if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return 112 + (key - Qt::Key_F1);
  for (const Pair& p : kKeys)
    if (p.qt == key) return p.vk;
  return 0;
}

int VbShift(Qt::KeyboardModifiers m) {
  return (m & Qt::ShiftModifier ? vbShiftMask : 0) | (m & Qt::ControlModifier ? vbCtrlMask : 0) |
         (m & Qt::AltModifier ? vbAltMask : 0);
}

int VbButton(Qt::MouseButton b) {
  switch (b) {
    case Qt::LeftButton:
      return vbLeftButton;
    case Qt::RightButton:
      return vbRightButton;
    case Qt::MiddleButton:
      return vbMiddleButton;
    default:
      return 0;
  }
}

int VbButtons(Qt::MouseButtons b) {
  return (b & Qt::LeftButton ? vbLeftButton : 0) | (b & Qt::RightButton ? vbRightButton : 0) |
         (b & Qt::MiddleButton ? vbMiddleButton : 0);
}

Qt::Key QtKeyOf(int vk) {
  if (vk >= 65 && vk <= 90) return static_cast<Qt::Key>(vk);
  if (vk >= 48 && vk <= 57) return static_cast<Qt::Key>(vk);
  if (vk >= 112 && vk <= 135) return static_cast<Qt::Key>(Qt::Key_F1 + (vk - 112));
  if (vk >= 96 && vk <= 105) return static_cast<Qt::Key>(Qt::Key_0 + (vk - 96));
  for (const Pair& p : kKeys)
    if (p.vk == vk) return static_cast<Qt::Key>(p.qt);
  return Qt::Key_unknown;
}

bool TypesNoCharacter(const QKeyEvent& e) {
  const Qt::KeyboardModifiers m = e.modifiers();
  if ((m & Qt::AltModifier) && !(m & Qt::ControlModifier)) return true;
  return EditKeyOf(e) != QKeySequence::UnknownKey;
}

QKeySequence::StandardKey EditKeyOf(const QKeyEvent& e) {
  for (QKeySequence::StandardKey k : {QKeySequence::SelectAll, QKeySequence::Copy, QKeySequence::Cut,
                                      QKeySequence::Paste, QKeySequence::Undo, QKeySequence::Redo})
    if (e.matches(k)) return k;
  return QKeySequence::UnknownKey;
}
