#include "forms/logbook/MemoDAT.h"

#include <QFileInfo>

#include "core/SettingsStore.h"
#include "core/SharedSettings.h"
#include "forms/startup/ORBTOP.h"
#include "platform/clock.h"
#include "platform/codepage.h"
#include "platform/paths.h"
#include "platform/ui/msgbox.h"
#include "platform/ui/twips.h"
#include "platform/vbfile.h"
#include "platform/vbnumber.h"

MemoStateValues MemoState;

namespace {

QString u8(const char* text) { return QString::fromUtf8(text); }

const char* const kFilter = "ﾒﾓﾃﾞｰﾀ (*.TXT)|*.TXT";

QString helpMemoPath() { return JoinPath(ProgramFolder(), "ORBEX_MyHelp.TXT"); }

// Every line of the file, each followed by CR LF; nothing when it cannot be read. A file in another
// code page is named to the operator and not taken: its text would come back from a save as "?".
std::optional<QString> readMemo(const QString& path) {
  QByteArray bytes;
  if (ReadWholeFile(path, bytes)) {
    if (const QString encoding = ForeignEncoding(bytes); !encoding.isEmpty()) {
      MsgBox(ForeignEncodingText(RealPath(path), encoding) + "\r\n" +
                 u8("文字が失われないよう、このメモ帳では開かず、書き換えもしません。"),
             vbOKOnly | vbExclamation);
      return std::nullopt;
    }
  }
  VbFile f(path, VbMode::Input);
  if (!f.IsOpen()) return std::nullopt;
  QString text, line;
  while (!f.Eof()) {
    if (!f.LineInput(line)) return std::nullopt;
    text += line + "\r\n";
  }
  return text;
}

}  // namespace

MemoDAT::MemoDAT() {
  setWindowTitle(u8("メモ帳"));
  MEMOPEN.Click = [this] { MEMOPEN_Click(); };
  RCVMEMO.Click = [this] { RCVMEMO_Click(); };
  RCVMEMOue.Click = [this] { RCVMEMOue_Click(); };
  MEMCLR.Click = [this] { Text1.setText(QString()); };
  Send.Click = [this] {
    // Nothing typed is dropped: the help memo goes back to its file, a memo without a file yet is given
    // a name first; a cancelled name or a failed write leaves the text to be saved.
    if (MemoState.HelpMemoMode == 1) MemoFileName = helpMemoPath();
    if (MemoFileName.isEmpty() ? RCVMEMO_Click() : writeMemo(MemoFileName)) Unload();
  };
  RDEND.Click = [this] { Unload(); };
}

bool MemoDAT::ShowHelpMemo() {
  // The memo pad left open from the sheet may hold text not yet saved: it is never read over.
  if (MemoDAT* open = LoadedForm<MemoDAT>(); open && MemoState.HelpMemoMode != 1) {
    open->Show();
    MsgBox(u8("メモ帳が開いています。メモ帳を閉じてから覚え書きを開いて下さい。"));
    return false;
  }
  std::optional<QString> text;
  if (IsFile(helpMemoPath()) && !(text = readMemo(helpMemoPath()))) return false;
  MemoState.HelpMemoMode = 1;
  MemoDAT& w = Form<MemoDAT>();
  w.Text1.setText(text.value_or(QString()));
  w.Show();
  return true;
}

void MemoDAT::Form_Load() {
  QStringList unusable;
  const int32_t top = ReadWindowTwips("CFGPOS", "MEMPOSTop", -1, WindowTwips::Top, unusable);
  if (top < 0) {
    Move(0, 0, 10920, 3375);
    MoveToStoredPlace(std::nullopt, 0);
  } else {
    MoveToStoredPlace(top, ReadWindowTwips("CFGPOS", "MEMPOSLeft", 0, WindowTwips::Left, unusable));
    Move(Left(), Top(), ReadWindowTwips("CFGPOS", "MEMPOSWidth", 10920, WindowTwips::Width, unusable),
         ReadWindowTwips("CFGPOS", "MEMPOSHeight", 3375, WindowTwips::Height, unusable));
  }
  ReportUnusableSettings(unusable);
  if (MemoState.HelpMemoMode == 1) {
    setWindowTitle(u8("覚え書き"));
    for (Menu* m : {&MEMOPEN, &RCVMEMO, &MEMCLR, &L1, &L2}) m->SetVisible(false);
  }
  Form_Resize();
}

void MemoDAT::Form_Resize() {
  const int inner = ScaleHeight();
  Text1.Move(0, 0, std::max(0, Width() - 235), inner > 0 ? std::max(0, inner - 30) : 0);
}

void MemoDAT::Form_Unload(int&) {
  if (Top() >= 0 && WindowState() != vbMinimized) {
    WriteIni("CFGPOS", "MEMPOSTop", QString::number(Top()));
    WriteIni("CFGPOS", "MEMPOSLeft", QString::number(Left()));
    WriteIni("CFGPOS", "MEMPOSWidth", QString::number(Width()));
    WriteIni("CFGPOS", "MEMPOSHeight", QString::number(Height()));
  }
  MemoState.HelpMemoMode = 0;
  if (ORBTOP* top = LoadedForm<ORBTOP>()) top->myMemo.SetEnabled(true);
}

QString MemoDAT::memoFolder(const QString& fallback) const { return ReadIniOr("ORB", "RCVDFOL", fallback); }

bool MemoDAT::writeMemo(const QString& path) {
  // The box keeps its lines with LF; the file gets CR LF. A text read from a file ends with its last
  // line's break already: one more would add an empty line at every open and save.
  QString text = Text1.text();
  text.remove('\r');
  if (text.endsWith('\n')) text.chop(1);
  if (const QString lost = NonAnsiCharacters(text); !lost.isEmpty()) {
    MsgBox(RealPath(path) + u8(" に保存しませんでした。") + "\r\n" +
               u8("次の文字は Windows-31J (Shift_JIS) のファイルに書けません: ") + lost + "\r\n" +
               u8("消すか別の文字にしてから保存して下さい。"),
           vbOKOnly | vbExclamation);
    return false;
  }
  VbFile f(path, VbMode::Output);
  bool written = f.IsOpen() && f.Print({text.replace('\n', "\r\n")});
  written = f.IsOpen() && f.Close() && written;
  if (!written)
    MsgBox(RealPath(path) + u8(" に保存できませんでした（") + FileErrorReason(LastFileError()) + u8("）。") + "\r\n" +
               u8("メモはこの窓に残っています。"),
           vbOKOnly | vbExclamation);
  return written;
}

void MemoDAT::MEMOPEN_Click() {
  MEMOPEN.SetEnabled(false);
  CommonDialog1.InitDir = memoFolder(Settings.DataFolder);
  CommonDialog1.Filter = u8(kFilter);
  CommonDialog1.DialogTitle = u8("ﾒﾓﾃﾞｰﾀ閲覧");
  CommonDialog1.FileName.clear();
  CommonDialog1.Flags = cdlOFNFileMustExist;
  if (CommonDialog1.ShowOpen()) {
    if (const std::optional<QString> text = readMemo(CommonDialog1.FileName)) {
      MemoFileName = CommonDialog1.FileName;
      Text1.setText(*text);
      WriteIni("ORB", "RCVDFOL", QFileInfo(MemoFileName).absolutePath());
      Fname.SetCaption(MemoFileName);
    }
  }
  MEMOPEN.SetEnabled(true);
}

bool MemoDAT::RCVMEMO_Click() {
  CommonDialog1.InitDir = memoFolder(ProgramFolder());
  CommonDialog1.Filter = u8(kFilter);
  CommonDialog1.DialogTitle = u8("ﾒﾓﾃﾞｰﾀ保存");
  CommonDialog1.FileName = "ORBEX_MEMO" + TodayJst().toString("yyMMdd");
  CommonDialog1.DefaultExt = "TXT";
  CommonDialog1.Flags = cdlOFNOverwritePrompt;
  if (!CommonDialog1.ShowSave() || !writeMemo(CommonDialog1.FileName)) return false;
  MemoFileName = CommonDialog1.FileName;
  WriteIni("ORB", "RCVDFOL", QFileInfo(MemoFileName).absolutePath());
  Fname.SetCaption(MemoFileName);
  return true;
}

void MemoDAT::RCVMEMOue_Click() {
  if (MemoState.HelpMemoMode == 1) {
    MemoFileName = helpMemoPath();
    if (writeMemo(MemoFileName)) Unload();
    return;
  }
  if (MemoFileName.isEmpty()) {
    MsgBox(u8("ファイル名がありません"));
    return;
  }
  writeMemo(MemoFileName);
}
