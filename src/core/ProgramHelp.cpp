#include "core/ProgramHelp.h"

#include "core/SharedSettings.h"
#include "platform/paths.h"
#include "platform/ui/msgbox.h"
#include "platform/ui/shell.h"
#include "platform/ui/snapshot.h"

void OpenProgramHelp() {
  const QString path = !Settings.HelpFilePath.isEmpty() ? Settings.HelpFilePath
                                                        : JoinPath(ProgramFolder(), "ORBEX5.HLP");
  if (OpenHelpFile(path) <= 32) MsgBox(QString::fromUtf8("ヘルプファイルが開けませんでした\r\n") + path);
}

void SaveClipboardSnapshot(const QString& fileName) {
  if (!ClipboardHasBitmap()) return;
  if (SaveClipboardBitmap(JoinPath(Settings.DataFolder, fileName))) ClearClipboard();
}
