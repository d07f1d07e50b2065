#include "forms/lookup/ViewMenkyo.h"

#include <QPointer>
#include <QSignalBlocker>

#include "core/SettingsStore.h"
#include "lookup/LicenceSearch.h"
#include "platform/ui/msgbox.h"
#include "platform/ui/shell.h"
#include "platform/ui/twips.h"
#include "platform/vbnumber.h"

namespace {

const QString kSection = QStringLiteral("MSRpos");

int32_t Stored(const QString& key, int32_t fallback, WindowTwips what, QStringList& unusable) {
  return ReadWindowTwips(kSection, key, fallback, what, unusable);
}

}  // namespace

ViewMenkyo::ViewMenkyo() {
  setWindowTitle(QStringLiteral(" 無線局免許情報"));
  Move(0, 0, 7785, 6600);
  Frame1.Move(120, 60, 7335, 5295);
  Caption1.Move(240, 300, 1500, 300);
  Text1.Move(1800, 300, 1800, 300);
  Caption8.Move(3800, 300, 1000, 300);
  Text8.Move(4900, 300, 2200, 300);
  Caption2.Move(240, 700, 1500, 300);
  Text2.Move(1800, 700, 5300, 300);
  Caption3.Move(240, 1100, 1500, 300);
  Text3.Move(1800, 1100, 1800, 300);
  Caption4.Move(3800, 1100, 1500, 300);
  Text4.Move(5300, 1100, 1800, 300);
  Caption5.Move(240, 1500, 1500, 300);
  Text5.Move(1800, 1500, 5300, 300);
  Caption6.Move(240, 1900, 4000, 300);
  Text6.Move(240, 2200, 6860, 300);
  Caption7.Move(240, 2600, 4000, 300);
  Text7.Move(240, 2900, 6735, 2175);
  Label2.Move(120, 5460, 600, 300);
  Label3.Move(720, 5460, 800, 300);
  HScroll1.Move(1560, 5460, 2000, 255);
  Label4.Move(3660, 5400, 3900, 480);
  Label4.setWordWrap(true);
  Label5.Move(7000, 5460, 300, 300);

  HScroll1.Change = [this] {
    FillRecord(HScroll1.value());
    ShowEmissionDetails();
  };
  Inet1.StateChanged = [this](int state) { Inet1_StateChanged(state); };
  Text7.MouseMove = [this](int, int, float, float) {
    Text7.setToolTip(QStringLiteral("ダブルクリックで電波形式詳細サイトを表示"));
  };
  Text7.DblClick = [this] { Text7_DblClick(); };
  cls.Click = [this] { Unload(); };
  ViewXML.Click = [this] { ShellOpen(LicenceListUrl(Text1.text().trimmed())); };
  MenSrch.Click = [] { ShellOpen(LicenceServiceSearchUrl()); };
  JarlMemb.Click = [] {
    const int r = ShellOpen(LeagueMemberSearchUrl());
    if (r <= 32)
      MsgBox(QStringLiteral("Link Error\r\n") + ShellOpenFailureReason(r, LeagueMemberSearchUrl()));
  };
}

void ViewMenkyo::Form_Load() {
  LicenceAnswer.LicenceViewerFilled = 0;
  Label5.setText(QString());
  Label5.hide();

  QStringList unusable;
  int32_t top = 0;
  int32_t left = 0;
  if (ReadIniKey(kSection, QStringLiteral("MSRposT"))) {
    top = Stored(QStringLiteral("MSRposT"), 0, WindowTwips::Top, unusable);
    if (top < 0 || top >= ScreenHeightTwips()) top = 0;
    left = Stored(QStringLiteral("MSRposL"), 0, WindowTwips::Left, unusable);
    if (left < 0 || left >= ScreenWidthTwips()) left = 0;
  }
  Move(left, top, Stored(QStringLiteral("MSRposW"), 7785, WindowTwips::Width, unusable),
       Stored(QStringLiteral("MSRposH"), 6600, WindowTwips::Height, unusable));
  Frame1.Move(Frame1.Left(), Frame1.Top(), Stored(QStringLiteral("MSRposFW"), 7335, WindowTwips::Width, unusable),
              Stored(QStringLiteral("MSRposFH"), 5295, WindowTwips::Height, unusable));
  Text7.Move(Text7.Left(), Text7.Top(), Stored(QStringLiteral("MSRposTW"), 6735, WindowTwips::Width, unusable),
             Stored(QStringLiteral("MSRposTH"), 2175, WindowTwips::Height, unusable));
  ReportUnusableSettings(unusable);
  lastWidth_ = Width();
  lastHeight_ = Height();
}

void ViewMenkyo::Form_Resize() {
  if (LicenceAnswer.LicenceViewerFilled != 1) return;
  const int32_t dw = Width() - lastWidth_;
  const int32_t dh = Height() - lastHeight_;
  Frame1.Move(Frame1.Left(), Frame1.Top(), Frame1.Width() + dw, Frame1.Height() + dh);
  Text7.Move(Text7.Left(), Text7.Top(), Text7.Width() + dw, Text7.Height() + dh);
  lastWidth_ = Width();
  lastHeight_ = Height();
}

void ViewMenkyo::Form_Unload(int& cancel) {
  (void)cancel;
  LicenceAnswer.LicenceViewerFilled = 0;
  const int32_t values[] = {Top(),          Left(),          Width(),       Height(),
                            Frame1.Width(), Frame1.Height(), Text7.Width(), Text7.Height()};
  const char* keys[] = {"MSRposT", "MSRposL", "MSRposW", "MSRposH", "MSRposFW", "MSRposFH", "MSRposTW", "MSRposTH"};
  for (int i = 0; i < 8; ++i) WriteIni(kSection, QString::fromLatin1(keys[i]), VbStr(values[i]));
  LicenceAnswer.LicenceDetailLinks.clear();
}

void ViewMenkyo::ShowLicenceAnswer(const QString& call) {
  const LicenceAnswerState& a = LicenceAnswer;
  Frame1.setTitle(call + QLatin1Char(' ') + a.lastUpdateDate + QStringLiteral("現在 の免許情報"));
  {
    // Setting the range shows no record by itself: the fields follow below.
    const QSignalBlocker quiet(&HScroll1);
    HScroll1.setRange(a.firstHit, a.firstHit + a.hitCount - 1);
    HScroll1.setValue(a.firstHit);
  }
  HScroll1.setEnabled(a.totalCount > 1);
  FillRecord(a.firstHit);
  Show();
  // Showing adds the desktop's frame to the outer size; the operator's resizes count from here.
  lastWidth_ = Width();
  lastHeight_ = Height();
  const QPointer<ViewMenkyo> self(this);
  SetLabel5(QStringLiteral("1"));
  if (!self || IsUnloaded()) return;  // the detail page's transfer failed and closed the window
  Text7.setFocus();
  LicenceAnswer.LicenceViewerFilled = 1;
}

int32_t ViewMenkyo::ShownRecord() const {
  const LicenceAnswerState& a = LicenceAnswer;
  const int32_t k = HScroll1.value() - a.firstHit;
  return k >= 0 && k < static_cast<int32_t>(a.hits.size()) ? a.hits[k] : -1;
}

void ViewMenkyo::FillRecord(int32_t scrollValue) {
  const LicenceAnswerState& a = LicenceAnswer;
  Label3.setText(a.hitCount != a.totalCount ? QStringLiteral("%1/%2").arg(scrollValue + 1 - a.firstHit).arg(a.hitCount)
                                            : QStringLiteral("%1/%2").arg(scrollValue + 1).arg(a.totalCount));
  const int32_t k = scrollValue - a.firstHit;
  if (k < 0 || k >= static_cast<int32_t>(a.hits.size())) return;
  const LicenceRecord& r = a.records[a.hits[k]];
  Text1.setText(r.identificationSignals);
  Text2.setText(r.name);
  Text3.setText(r.licenseDate);
  Text4.setText(r.validTerms);
  Text5.setText(r.movementArea);
  Text6.setText(r.radioEuipmentLocation);
  Text7.setText(r.radioSpec1 + QStringLiteral("\r\n"));
  Text8.setText(r.tdfkCd);
}

void ViewMenkyo::SetLabel5(const QString& caption) {
  if (caption == Label5.text()) return;
  Label5.setText(caption);
  if (!caption.isEmpty()) ShowEmissionDetails();
}

void ViewMenkyo::ShowEmissionDetails() {
  // A failed transfer closes this window, which may be gone when the request returns.
  const QPointer<ViewMenkyo> self(this);
  const QString link = FetchLicenceDetailPage(Text1.text().trimmed(), ShownRecord(), Inet1);
  if (!self || IsUnloaded()) return;
  const std::optional<QStringList> rows = FetchEmissionRows(link, Inet1);
  if (!self || IsUnloaded()) return;
  if (!rows) {
    MsgBox(QStringLiteral("Link Error"));
    return;
  }
  QString text = Text7.text();
  for (const QString& row : *rows) text += QStringLiteral("\r\n") + row;
  Text7.setText(text);
}

void ViewMenkyo::Inet1_StateChanged(int state) {
  if (state != icError) return;
  const HttpAnswer& a = Inet1.LastAnswer();
  // An error stays until the operator has read it, unlike the search's timed notices.
  const QPointer<ViewMenkyo> self(this);
  MsgBoxPosHook(MsgBoxCentre.x, MsgBoxCentre.y);
  MsgBox((a.tooLarge ? QStringLiteral("免許情報の答えが大きすぎるので読みませんでした。")
                     : QStringLiteral("インターネット接続エラーです")) +
             "\r\n" + a.error,
         vbOKOnly + vbExclamation, QStringLiteral("無線局検索"));
  if (self && !IsUnloaded()) Unload();
}

void ViewMenkyo::Text7_DblClick() {
  const QPointer<ViewMenkyo> self(this);
  const QString link = FetchLicenceDetailPage(Text1.text().trimmed(), ShownRecord(), Inet1);
  if (!self || IsUnloaded()) return;
  if (link.isEmpty()) {
    MsgBox(QStringLiteral("Link Error"));
    return;
  }
  const int r = ShellOpen(link);
  if (r <= 32) MsgBox(QStringLiteral("Link Error\r\n") + ShellOpenFailureReason(r, link));
}
