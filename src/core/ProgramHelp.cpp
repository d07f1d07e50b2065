#include "core/ProgramHelp.h"

#include "core/HamlogAccess.h"
#include "core/SharedSettings.h"
#include "platform/paths.h"
#include "platform/ui/msgbox.h"
#include "platform/ui/shell.h"

QString HelpFolder() {
  return Settings.HelpFilePath.isEmpty() ? JoinPath(ProgramFolder(), "help") : Settings.HelpFilePath;
}

void OpenHelpPage(const char* page) {
  const QString path = JoinPath(HelpFolder(), QString::fromUtf8(page));
  if (!IsFile(path)) {
    Hamlog.LastResult = SE_ERR_FNF;
    MsgBox(QStringLiteral("ヘルプのページ ") + path +
               (IsFolder(path) ? QStringLiteral(" はフォルダーです。ページのファイルに置き換えて下さい。")
                               : QStringLiteral(" がありません。")),
           vbOKOnly);
    return;
  }
  Hamlog.LastResult = OpenHelpFile(RealPath(path));
  if (Hamlog.LastResult <= 32)
    MsgBox(QStringLiteral("ヘルプのページ ") + path + QStringLiteral(" を開けませんでした。") + "\r\n" +
               QStringLiteral("HTML を開くブラウザが設定されているか確かめて下さい。"),
           vbOKOnly);
}
