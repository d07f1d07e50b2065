#include "forms/logbook/EqslExportFlow.h"

#include "core/SettingsStore.h"
#include "core/SharedSettings.h"
#include "logbook/EqslExport.h"
#include "platform/clock.h"
#include "platform/paths.h"
#include "platform/ui/msgbox.h"
#include "platform/ui/shell.h"

namespace {

QString u8(const char* text) { return QString::fromUtf8(text); }

bool isQsoBank() { return Settings.EqslType != "0"; }

QString entryErrorText() {
  return QString("EQSL_ERROR!!!  STRT=%1  END=%2 stop >>%3")
      .arg(Eqsl.EqslStartMark)
      .arg(Eqsl.EqslEndMark)
      .arg(Eqsl.EqslCurrentRecNo);
}

QString skippedText(const std::vector<int32_t>& skipped) {
  QStringList numbers;
  for (size_t i = 0; i < skipped.size() && i < 20; ++i) numbers << QString::number(skipped[i]);
  if (skipped.size() > 20) numbers << QString("... (%1 件)").arg(skipped.size());
  return u8("保存されていないか削除されていて読めなかったデータ No.") + numbers.join(", ") +
         u8(" はファイルに含めていません。");
}


}  // namespace

QString FolderOfChosenFile(const QString& path) {
  const qsizetype k = std::max(path.lastIndexOf(u'\\'), path.lastIndexOf(u'/'));
  return k < 0 ? QString() : path.left(k);
}

QString EqslServiceCaption() { return Settings.EqslType == "1" ? "QSOBank" : "eQSLcc"; }

QString SwitchEqslService() {
  Settings.EqslType = Settings.EqslType != "1" ? "1" : "0";
  return EqslServiceCaption();
}

QString ChooseEqslFile(CommonDialog& dialog, const QString& proposedName) {
  const bool xml = isQsoBank();
  const char* key = xml ? "eQSLQFOL" : "eQSLFOL";
  dialog.InitDir = ReadIniOr("E-QSL", key, Settings.DataFolder);
  dialog.Filter = xml ? u8("QSOBank形電子QSLﾃﾞｰﾀ (*.xml)|*.xml") : u8("eQSLcc形電子QSLﾃﾞｰﾀ (*.ADI)|*.ADI");
  dialog.DialogTitle = u8("電子QSLﾃﾞｰﾀ保存");
  dialog.Flags = cdlOFNOverwritePrompt | cdlOFNHideReadOnly;
  dialog.DefaultExt.clear();
  dialog.FileName = proposedName;
  if (!dialog.ShowSave()) return QString();
  const QString path = dialog.FileName;
  const QString folder = FolderOfChosenFile(path);
  (xml ? Eqsl.QsoBankFolder : Eqsl.EqslFolder) = folder;
  WriteIni("E-QSL", key, folder);
  return path;
}

QString StartQsoBankUpload(const QString& path, int64_t& task) {
  task = 0;
  const QString program = Settings.PutQsoData;
  if (program.isEmpty() || program == "E-QSL" || !IsFile(program))
    return u8("電子QSL送信プログラム (PutQSOData) が見つかりません: ") + program + u8("\r\n環境設定をご確認下さい。\r\n") +
           path + u8(" は作成済みです。");
  task = ShellStart(RealPath(program), {path});
  if (task == 0)
    return program + u8(" を起動できませんでした。\r\n") + path + u8(" は作成済みです。");
  return QString();
}

int OpenServiceShortcut(const QString& name) { return ShellOpen(JoinPath(ProgramFolder(), name)); }

void GoToServiceSite(const QString& shortcutName) {
  if (OpenServiceShortcut(shortcutName) < 33) MsgBox(u8("ＵＲＬが開けませんでした"));
}

bool OfferEqslSite(const QString& path, const QString& savedSuffix) {
  const int answer = MsgBox(u8("ADIF形式でLOG-DATAを作成しました\r\n今すぐeQSLccのサイトへ接続しますか？"),
                            vbYesNo + vbQuestion, u8("ORBEX5 電子QSL"));
  if (answer == vbYes) return OpenServiceShortcut("eQSLcchomepage.url") > 32;
  MsgBox(path + savedSuffix);
  return true;
}

void ExportEqslFromEntry(CommonDialog& dialog, const EqslQso& shown, int32_t shownRecNo) {
  if (shown.call.trimmed().isEmpty()) {
    MsgBox(u8("CALL DATA がありません"));
    return;
  }
  if (shown.freq.trimmed().isEmpty()) {
    MsgBox(u8("Band DATA がありません"));
    return;
  }
  const QString path = ChooseEqslFile(dialog, "ORBEX_EQSL" + TodayJst().toString("yyMMdd"));
  if (path.isEmpty()) return;
  if (Settings.EqslType != "0" && Settings.EqslType != "1") return;
  const EqslFormat format = Settings.EqslType == "1" ? EqslFormat::QsoBankXml : EqslFormat::EqslAdif;
  const EqslExportResult r = ExportEqslRecords(format, path, shown, shownRecNo);
  if (r.nothing) {
    MsgBox(r.failure, vbExclamation);
    return;
  }
  if (!r.ok) {
    MsgBox(entryErrorText() + "\r\n" + r.failure);
    return;
  }
  if (!r.skipped.empty()) MsgBox(skippedText(r.skipped));
  if (!r.leftOut.isEmpty()) MsgBox(AdifLeftOutText(format, r.leftOut), vbExclamation);
  if (format == EqslFormat::QsoBankXml) {
    int64_t task = 0;
    const QString failed = StartQsoBankUpload(path, task);
    if (!failed.isEmpty()) MsgBox(entryErrorText() + "\r\n" + failed);
    return;
  }
  if (!OfferEqslSite(path, u8("のファイルを作成保存しました"))) MsgBox(entryErrorText());
}
