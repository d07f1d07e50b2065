#include "forms/awards/AwardWindows.h"

#include <QCoreApplication>
#include <QStringList>
#include <optional>

#include "core/HamlogAccess.h"
#include "core/SettingsStore.h"
#include "core/SharedSettings.h"
#include "forms/awards/AwardSheetRuns.h"
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

void MoveToStoredWindowPlace(VbForm& window, const QString& prefix, QStringList& unusable) {
  const std::optional<QString> top = ReadIniKey("ORBEXPOS", prefix + "Top");
  std::optional<int32_t> topValue;
  if (top) topValue = StoredWindowTwips("ORBEXPOS", prefix + "Top", *top, -1, WindowTwips::Top, unusable);
  window.MoveToStoredPlace(topValue, ReadWindowTwips("ORBEXPOS", prefix + "Left", 0, WindowTwips::Left, unusable));
}

void PlaceStoredWindow(VbForm& window, const QString& prefix) {
  QStringList unusable;
  MoveToStoredWindowPlace(window, prefix, unusable);
  ReportUnusableSettings(unusable);
}

void StoreWindowPlace(const VbForm& window, const QString& prefix) {
  WriteIni("ORBEXPOS", prefix + "Top", QString::number(window.Top()));
  WriteIni("ORBEXPOS", prefix + "Left", QString::number(window.Left()));
}

void PlaceAndSizeStoredWindow(VbForm& window, const QString& prefix, int defaultWidth, int defaultHeight,
                              QString* width, QString* height) {
  QStringList unusable;
  MoveToStoredWindowPlace(window, prefix, unusable);
  const std::optional<QString> w = ReadIniKey("ORBEXPOS", prefix + "Width");
  const std::optional<QString> h = ReadIniKey("ORBEXPOS", prefix + "Height");
  if (width) *width = w.value_or(QString());
  if (height) *height = h.value_or(QString());
  if (w && h)
    window.Move(window.Left(), window.Top(),
                StoredWindowTwips("ORBEXPOS", prefix + "Width", *w, defaultWidth, WindowTwips::Width, unusable),
                StoredWindowTwips("ORBEXPOS", prefix + "Height", *h, defaultHeight, WindowTwips::Height, unusable));
  else
    window.Move(window.Left(), window.Top(), defaultWidth, defaultHeight);
  ReportUnusableSettings(unusable);
}

void LayOutQsoPanel(QWidget& frame, QWidget& call, QWidget& date, QWidget& mode, QWidget& band, QWidget& qth) {
  const auto place = [](QWidget& w, int left, int top, int width, int height) {
    w.move(TwipsToPx(left), TwipsToPx(top));
    w.resize(TwipsToPx(width), TwipsToPx(height));
  };
  place(frame, 120, 60, 6000, 900);
  place(call, 120, 240, 1800, 300);
  place(date, 2000, 240, 1400, 300);
  place(mode, 3500, 240, 1000, 300);
  place(band, 4600, 240, 1300, 300);
  place(qth, 120, 560, 5700, 300);
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

QString VersionMessageText() {
  const QStringList parts = QCoreApplication::applicationVersion().split('.');
  const int major = parts.value(0, "5").toInt();
  const int minor = parts.value(1, "0").toInt();
  const int revision = parts.value(2, "0").toInt();
  QString text = QStringLiteral("ORBEX5 Ver ") + QString::number(major) + "." +
                 QString::number(minor).rightJustified(2, '0');
  if (revision != 0) text += QString::number(revision, 16).toUpper();
  return text;
}

void ConnectAwardWindows() {
  ConnectAwardSheets();
}
