#include "forms/rig/CATtestMod.h"

#include <QFileInfo>
#include <QPointer>

#include "core/SharedSettings.h"
#include "forms/sheet/CWSHEET.h"
#include "platform/clock.h"
#include "platform/ui/doevents.h"
#include "platform/ui/keys.h"
#include "platform/ui/msgbox.h"
#include "platform/ui/shell.h"
#include "rig/CatTest.h"
#include "rig/RigPortState.h"

namespace {

const char kPortClosed[] = "リグのCATポートが開いていません";

}  // namespace

CATtestMod::CATtestMod() {
  setWindowTitle(QStringLiteral("CAT TEST"));
  Label5.Move(120, 60, 3600, 240);
  Label1.Move(120, 400, 500, 240);
  Text1.Move(640, 360, 2400, 300);
  Label3.Move(3120, 400, 400, 240);
  Text3.Move(3520, 360, 600, 300);
  Command1.Move(4200, 360, 700, 300);
  Label2.Move(120, 800, 500, 240);
  Text2.Move(640, 760, 4260, 300);
  Label4.Move(120, 1160, 4800, 240);
  for (TextBox* t : {&Text1, &Text2, &Text3}) t->setFont(QFont(QStringLiteral("ＭＳ ゴシック")));
  SetWidth(5200);
  SetHeight(1900);
  Command1.Click = [this] { Command1_Click(); };
  Text1.KeyPress = [this](int& k) {
    if (k != vbKeyReturn) return;
    k = 0;
    Command1_Click();
  };
  Text1.Change = [this] { Text2.setText(QString()); };
  Mend.Click = [this] { Unload(); };
  memRead.Click = [this] { memRead_Click(); };
  memWrt.Click = [this] { memWrt_Click(); };
}

void CATtestMod::Form_Load() {
  if (CWSHEET* sheet = LoadedForm<CWSHEET>()) Move(sheet->Left() + 200, sheet->Top() + 200);
  SetTopmost(true);
}

void CATtestMod::Form_Activate() { Text1.setFocus(); }

void CATtestMod::Message(const QString& text) {
  if (CWSHEET* sheet = LoadedForm<CWSHEET>()) {
    SetMsgBoxCentre(*sheet);
    MsgBoxPosHook(MsgBoxCentre.x, MsgBoxCentre.y);
  }
  MsgBox(text);
}

void CATtestMod::SheetNotice(const QString& text) {
  CWSHEET* sheet = LoadedForm<CWSHEET>();
  if (!sheet) return;
  sheet->Label2.setText(text);
  sheet->Frame1.setTitle(text.isEmpty() ? QString() : QStringLiteral("Busy"));
  sheet->Frame1.setVisible(!text.isEmpty());
  if (!text.isEmpty()) {
    sheet->Frame1.raise();
    DoEvents();
  }
}

void CATtestMod::Command1_Click() {
  if (!PortReady()) return;
  QPointer<CATtestMod> self(this);
  CatCommandTest(Text1.text(), Text3.text(), [self](std::optional<QString> answer) {
    if (!self) return;
    if (!answer) {
      self->Message(QStringLiteral("LEN項が空白では？"));
      return;
    }
    self->Text2.setText(*answer);
    self->Text1.setFocus();
  });
}

bool CATtestMod::PortReady() {
  if (RigPortState.PortOpen == 1) return true;
  Message(QString::fromUtf8(kPortClosed));
  return false;
}

void CATtestMod::memRead_Click() {
  // With no rig to read there is nothing to save: no empty backup is made.
  if (!PortReady()) return;
  const QString model = RigPortState.RigModel;
  CommonDialog1.DialogTitle = model + QStringLiteral(" のCATｺﾏﾝﾄﾞﾌｧｲﾙ( *CMD.TXT )を指定します");
  CommonDialog1.Filter = model + "(_CMD.TXT)|*CMD.TXT|";
  CommonDialog1.InitDir = Settings.DataFolder;
  CommonDialog1.Flags = cdlOFNOverwritePrompt;
  CommonDialog1.FileName = QString();
  if (!CommonDialog1.ShowOpen()) return;
  QString unreadable;
  const std::optional<std::vector<CatListEntry>> list =
      ReadCatCommandList(CommonDialog1.FileName, &unreadable);
  if (!list) {
    Message(unreadable);
    return;
  }
  const QString listModel = CatModelOfListFile(CommonDialog1.FileName);
  CommonDialog1.DialogTitle = listModel + QStringLiteral(" のメモリデータを保存します");
  CommonDialog1.Filter = "(*.TXT)|*.TXT|";
  CommonDialog1.Flags = cdlOFNOverwritePrompt | cdlOFNPathMustExist;
  CommonDialog1.InitDir = Settings.DataFolder;
  CommonDialog1.FileName = CatBackupFileName(listModel, NowJst(), ".TXT");
  if (!CommonDialog1.ShowSave()) return;
  const QString backup = CommonDialog1.FileName;
  SheetNotice(QStringLiteral("メモリデータを保存中 ＱＲＸ"));
  QPointer<CATtestMod> self(this);
  CatBackup(*list, backup, [self, backup](const CatBackupResult& r) {
    if (!self) return;
    self->SheetNotice(QString());
    if (r.LinkLost) {
      self->Message(QStringLiteral("リグとの通信が途切れたため、退避を中止しました"));
      return;
    }
    if (!r.Written) {
      self->Message(backup + "\r\nerr");
      return;
    }
    if (!r.Failed.isEmpty()) self->Message(QStringLiteral("次のコマンドは通りませんでした") + "\r\n" + r.Failed);
    self->Message(CatBackupMessage(r));
    ShellOpen(backup);
  });
}

void CATtestMod::memWrt_Click() {
  if (!PortReady()) return;
  const QString model = RigPortState.RigModel;
  CommonDialog1.DialogTitle = model + QStringLiteral(" への書き込みデータファイルを指定します");
  CommonDialog1.Filter = model + "(*.TXT)|*.TXT|";
  CommonDialog1.Flags = cdlOFNOverwritePrompt | cdlOFNPathMustExist;
  CommonDialog1.InitDir = Settings.DataFolder;
  CommonDialog1.FileName = QString();
  if (!CommonDialog1.ShowOpen()) return;
  const std::optional<MemoryBackup> backup = ReadMemoryBackupFile(CommonDialog1.FileName);
  if (!backup) {
    RigPortState.CatBusy = 0;
    Message(QStringLiteral("読み込みデータの異常です"));
    return;
  }
  SheetNotice(QStringLiteral("バックアップデータを書込中 ＱＲＸ"));
  QPointer<CATtestMod> self(this);
  CatWriteBack(*backup, [self](bool allSent) {
    if (!self) return;
    self->SheetNotice(QString());
    self->Message(allSent ? QStringLiteral("バックアップデータ書き込み完了です。 ")
                          : QStringLiteral("リグとの通信が途切れたため、書き込みを中止しました"));
  });
}
