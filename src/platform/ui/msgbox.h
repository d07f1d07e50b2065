#pragma once
// Message boxes and input boxes with VB's style values and answer codes.
//
//   MsgBox("HAMLOGデータがOpen出来ません。");                        // OK only, the program's title
//   if (MsgBox(text, vbYesNoCancel + vbQuestion, "集計（累積）表の作成") == vbYes) ...
//   MsgBox(text, vbOKOnly + vbSystemModal);                          // above every window
//
//   SetMsgBoxCentre(Form<CWSHEET>());                                 // the window's centre, in pixels
//   MsgBoxPosHook(MsgBoxCentre.x, MsgBoxCentre.y);                    // the NEXT box's top-left corner
//   MsgBoxTimeout(call + " の該当データがありません", "無線局検索", 3);  // closes itself after 3 s
//
//   QString mark = InputBox(prompt, "QSL発行済みマークの指定", QslSendMark);   // "" on Cancel
//
// Line breaks may be CR LF, LF or CR. Texts are plain (no markup). A null or empty title gives the
// program's title, AppTitle(). Tests answer every box through MsgBoxResponder (responders.h).

#include <QPoint>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

class QWidget;

constexpr int vbOKOnly = 0;
constexpr int vbOKCancel = 1;
constexpr int vbAbortRetryIgnore = 2;
constexpr int vbYesNoCancel = 3;
constexpr int vbYesNo = 4;
constexpr int vbRetryCancel = 5;
constexpr int vbCritical = 16;
constexpr int vbQuestion = 32;
constexpr int vbExclamation = 48;
constexpr int vbInformation = 64;
constexpr int vbDefaultButton1 = 0;
constexpr int vbDefaultButton2 = 256;
constexpr int vbDefaultButton3 = 512;
constexpr int vbApplicationModal = 0;
constexpr int vbSystemModal = 4096;
constexpr int vbMsgBoxSetForeground = 0x10000;

constexpr int vbOK = 1;
constexpr int vbCancel = 2;
constexpr int vbAbort = 3;
constexpr int vbRetry = 4;
constexpr int vbIgnore = 5;
constexpr int vbYes = 6;
constexpr int vbNo = 7;
// What MsgBoxTimeout returns when the box closed itself.
constexpr int vbTimedOut = 32000;

// The title of boxes that name none: "ORBEX5".
QString AppTitle();

int MsgBox(const QString& text, int style = vbOKOnly, const QString& title = QString());
// The next box (message, timed or input box) only is moved so that its top-left corner is at the
// screen point (x, y) in pixels; the box after it is placed as usual again.
void MsgBoxPosHook(int32_t x, int32_t y);
// An information box that closes itself after `seconds`; the operator's answer or vbTimedOut.
int MsgBoxTimeout(const QString& text, const QString& caption, int32_t seconds);
// The typed text, or "" when the operator cancelled.
QString InputBox(const QString& prompt, const QString& title = QString(),
                 const QString& defaultText = QString());

// The point the window code fills before placing a box over a window (pixels).
struct ScreenPoint {
  int32_t x = 0;
  int32_t y = 0;
};
extern ScreenPoint MsgBoxCentre;
// Fills MsgBoxCentre with the centre of a window: Left + Width / 2, Top + Height / 2.
void SetMsgBoxCentre(const QWidget& window);

// Test hook (responders.h installs it): answers a box instead of showing it.
struct MsgBoxCall {
  enum Kind { Box, Timed, Input };
  Kind kind = Box;
  QString text, title;
  int style = 0;
  std::optional<QPoint> position;  // from MsgBoxPosHook
  int timeoutSeconds = 0;          // Timed boxes
  QString defaultText;             // input boxes
};
struct MsgBoxAnswer {
  int code = vbOK;  // message boxes
  QString text;     // input boxes ("" = Cancel)
};
using MsgBoxHook = std::function<MsgBoxAnswer(const MsgBoxCall&)>;
MsgBoxHook SetMsgBoxHook(MsgBoxHook hook);
