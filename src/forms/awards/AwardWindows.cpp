#include "forms/awards/AwardWindows.h"

#include <optional>

#include "core/HamlogAccess.h"
#include "core/SettingsStore.h"
#include "core/SharedSettings.h"
#include "platform/paths.h"
#include "platform/ui/msgbox.h"
#include "platform/ui/shell.h"
#include "platform/ui/snapshot.h"
#include "platform/ui/twips.h"
#include "platform/vbnumber.h"

namespace {
constexpr int kGridMargin = 340;
}

void SnapshotToDataFolder(VbForm& window, const QString& fileName) {
  const QString path = JoinPath(Settings.DataFolder, fileName);
  if (SaveWindowBitmap(window, path))
    MsgBox(Settings.DataFolder + " に " + fileName + QStringLiteral(" というﾋﾞｯﾄﾏｯﾌﾟﾌｧｲﾙを作りました"));
  else
    MsgBox(path + QStringLiteral(" を書き込めませんでした。データフォルダを確かめて下さい。"));
}

void SaveClipboardSnapshot(PictureBox& picture, const QString& fileName) {
  if (!ClipboardHasBitmap()) return;
  picture.SetPicture(ClipboardBitmap());
  if (SaveClipboardBitmap(JoinPath(Settings.DataFolder, fileName)))
    ClearClipboard();
  else
    MsgBox(JoinPath(Settings.DataFolder, fileName) + QStringLiteral(" を書き込めませんでした。"));
}

QPoint StoredWindowPlace(const QString& prefix) {
  const std::optional<QString> top = ReadIniKey("ORBEXPOS", prefix + "Top");
  std::optional<int32_t> topValue;
  if (top) topValue = static_cast<int32_t>(VbVal(*top));
  return PlaceOnScreen(topValue, static_cast<int32_t>(VbVal(ReadIniOr("ORBEXPOS", prefix + "Left", ""))));
}

void PlaceStoredWindow(VbForm& window, const QString& prefix) {
  const QPoint p = StoredWindowPlace(prefix);
  window.Move(p.x(), p.y());
}

void StoreWindowPlace(const VbForm& window, const QString& prefix) {
  WriteIni("ORBEXPOS", prefix + "Top", QString::number(window.Top()));
  WriteIni("ORBEXPOS", prefix + "Left", QString::number(window.Left()));
}

void OpenAwardHelp() {
  Hamlog.LastResult = OpenHelpFile(!Settings.HelpFilePath.isEmpty() ? Settings.HelpFilePath
                                                                    : JoinPath(ProgramFolder(), "ORBEX5.HLP"));
}

void CopyTableToGrid(const TextTable& table, FlexGrid& grid) {
  const bool redraw = grid.Redraw();
  grid.SetRedraw(false);
  for (int r = 0; r < table.Rows() && r < grid.Rows(); ++r)
    for (int c = 0; c < table.Cols() && c < grid.Cols(); ++c) grid.SetTextMatrix(r, c, table.At(r, c));
  grid.SetRedraw(redraw);
}

void FitWindowToGrid(VbForm& window, FlexGrid& grid, int gridWidth) {
  const int screen = ScreenWidthTwips();
  if (gridWidth + kGridMargin > screen) {
    window.SetWidth(screen);
    grid.SetWidth(screen - kGridMargin);
  } else {
    grid.SetWidth(gridWidth);
    window.SetWidth(gridWidth + kGridMargin);
  }
}
