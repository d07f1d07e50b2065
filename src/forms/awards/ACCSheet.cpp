#include "forms/awards/ACCSheet.h"

#include <QFileDevice>
#include <QLocale>
#include <algorithm>

#include "awards/LocatorSheets.h"
#include "core/HamlogAccess.h"
#include "core/ProgramHelp.h"
#include "core/QsoFields.h"
#include "core/SettingsStore.h"
#include "core/SharedSettings.h"
#include "forms/awards/AwardWindows.h"
#include "forms/startup/ORBTOP.h"
#include "platform/ui/doevents.h"
#include "platform/ui/keys.h"
#include "platform/ui/msgbox.h"
#include "platform/ui/shell.h"
#include "platform/vbnumber.h"

AwardSheetHooksState AwardSheetHooks;

namespace {

constexpr int kDefaultWidth = 12000;
constexpr int kDefaultHeight = 7905;
constexpr int kFallbackGridHeight = 6015;

const AwardSheetKind* kindOf(int32_t sheetKind) {
  if (sheetKind < 1 || sheetKind > 5) return nullptr;
  return &AwardSheetHooks.Kinds[static_cast<size_t>(sheetKind)];
}

}  // namespace

QString FormatSheetTotal(int32_t total) {
  QLocale grouped = QLocale::c();  // "6,519": C's numbers leave out the group separator unless asked
  grouped.setNumberOptions(QLocale::DefaultNumberOptions);
  return total == 0 ? QString() : grouped.toString(total);
}

ACCSheet::ACCSheet() : bandMenusOfExtendedSet_{&a135k, &a475k, &a10G, &a24G, &a47G, &a77G} {
  setWindowTitle(QStringLiteral("ACCSheet"));
  Move(0, 0, kDefaultWidth, kDefaultHeight);
  LayOutQsoPanel(Frame6, Label10, Label9, Label8, Label11, Label7);
  // The result frame on the left, where the QSO panel takes its place; the counts frame beyond the
  // panel's width, with room for "cfm/wkd=9999/9999" and the longest band list's count.
  Frame1.Move(120, 60, 4200, 900);
  Label1.Move(120, 240, 2600, 300);
  Label2.Move(2800, 240, 1300, 300);
  Label3.Move(120, 560, 1000, 300);
  Label4.Move(1200, 560, 2000, 300);
  Frame2.Move(6240, 60, 5480, 900);
  Label6.Move(120, 240, 5240, 300);
  Label5.Move(120, 540, 5240, 320);
  Label5.setWordWrap(true);
  MSFlexGrid2.Move(120, 1080, kDefaultWidth - 400, kDefaultHeight - 1960);
  Frame3.Move(0, 0, 4200, 900);
  Label12.Move(240, 360, 3800, 300);
  Frame3.hide();
  const std::pair<Menu*, const char*> bandMenus[] = {
      {&a19, "1R9"},   {&a35, "3R5"},   {&a7, "7"},       {&a10, "10"},     {&a14, "14"},     {&a18, "18"},
      {&a21, "21"},    {&a24, "24"},    {&a28, "28"},     {&a50, "50"},     {&a144, "144"},   {&a430, "430"},
      {&a1200, "1200"}, {&a2400, "2400"}, {&a5600, "5600"}, {&a135k, "135k"}, {&a475k, "475k"}, {&a10G, "10G"},
      {&a24G, "24G"},  {&a47G, "47G"},  {&a77G, "77G"},   {&aSat, "SAT"},   {&aHFall, "HF"},  {&aVUonly, "VUS"},
      {&aVUSAT, "VUS_and_SAT"}};
  for (const auto& [menu, key] : bandMenus) menu->Click = [this, key] { SelectBandList(QString::fromLatin1(key)); };
  aALLBAND.Click = [this] {
    SelectBandList(Settings.ExtendedBandSet == 1 ? "ALL(0R135to77G)" : "ALL(1R9to5600)");
  };
  aALLSAT.Click = [this] {
    SelectBandList(Settings.ExtendedBandSet == 1 ? "ALL(0R135to77G_and_SAT)" : "ALL(1R9to5600_and_SAT)");
  };
  VERDISP.Click = [] { MsgBox(VersionMessageText(), vbOKOnly); };
  HELP.Click = [] { OpenHelpPage(kHelpAwardSheets); };
  RTNMN.Click = [this] { Unload(); };
  DispAMA.Click = [this] { Hamlog.LastResult = ShellOpen(AmaListPath); };
  MSFlexGrid2.MouseUp = [this](int button, int, float, float) { ShowCellQso(button); };
  // One row a notch, one column with Shift, passing the hidden ones.
  MSFlexGrid2.MouseWheel = [this](int delta, int shift) {
    ScrollGridOneStep(MSFlexGrid2, delta, (shift & vbShiftMask) != 0, true);
  };
}

ACCSheet::~ACCSheet() = default;

void ACCSheet::Form_Load() {
  KeyPreview = true;
  SheetFilled = 0;
  Label4.hide();
  const bool extended = Settings.ExtendedBandSet == 1;
  aVUonly.SetCaption(extended ? QStringLiteral("Ｖ・ＵＨＦ( 50MHz-77GHz)") : QStringLiteral("Ｖ・ＵＨＦ( 50-5600)"));
  aVUSAT.SetCaption(extended ? QStringLiteral("Ｖ・ＵＨＦ( 50MHz-77GHz ＆ SAT )")
                             : QStringLiteral("Ｖ・ＵＨＦ( 50-5600 ＆ SAT )"));
  aHFall.SetCaption(extended ? QStringLiteral("ＨＦａｌｌ (0.135kHz-28MHz)") : QStringLiteral("ＨＦａｌｌ (1.9MHz-28MHz)"));
  for (Menu* m : bandMenusOfExtendedSet_) m->SetVisible(extended);

  PlaceAndSizeStoredWindow(*this, "SBPOS", kDefaultWidth, kDefaultHeight);
  CenterBusyFrame();
  ModeClasses = ReadModeClassLists();

  const AwardSheetKind* kind = kindOf(AwardSheets.SheetKind);
  if (!kind || !kind->Build) {
    Unload();
    return;
  }
  kind->Build(*this);
  if (AwardSheets.MemberTag == "ACC#") {
    Label3.show();
    Label4.show();
    Label4.setText(FormatSheetTotal(SheetTotal));
  }
}

void ACCSheet::Form_Activate() {
  if (SheetFilled != 0 || filling_ || IsUnloaded()) return;
  filling_ = true;
  LockClose();
  if (ORBTOP* top = LoadedForm<ORBTOP>()) top->Hide();
  Frame3.show();
  Frame3.raise();
  DoEvents();
  if (const AwardSheetKind* kind = kindOf(AwardSheets.SheetKind); kind && kind->Fill) kind->Fill(*this);
  Frame3.hide();
  UnlockClose();
  filling_ = false;
}

void ACCSheet::CenterBusyFrame() {
  Frame3.Move(std::max(0, (Width() - Frame3.Width()) / 2), std::max(0, (Height() - Frame3.Height()) / 2));
}

void ACCSheet::Form_Resize() {
  const int w = Width() - 400;
  const int h = Height() - 1960;
  if (w < 0 || h < 0) {
    MSFlexGrid2.SetHeight(kFallbackGridHeight);
    return;
  }
  MSFlexGrid2.SetWidth(w);
  MSFlexGrid2.SetHeight(h);
  CenterBusyFrame();
}

void ACCSheet::ClearQsoPanel() {
  for (Label* l : {&Label10, &Label9, &Label8, &Label7, &Label11}) l->setText(QString());
}

void ACCSheet::ShowCellQso(int button) {
  // While the sheet fills (the member check lets events run) a sort would move rows under the run.
  if (button != vbLeftButton || filling_) return;
  const int r = MSFlexGrid2.MouseRow();
  const int c = MSFlexGrid2.MouseCol();
  const int32_t kindNumber = AwardSheets.SheetKind;
  if (c > 2 || r > 0) {
    if (kindNumber < 2 || kindNumber > 5 || r < 0 || c < 0) return;
    if (MSFlexGrid2.TextMatrix(r, c) != "C") {
      ClearQsoPanel();
      return;
    }
    const AwardSheetKind* kind = kindOf(kindNumber);
    const int32_t rec = kind && kind->RecordOfCell ? kind->RecordOfCell(*this, r, c) : 0;
    if (rec <= 0) return;
    Qso.QsoRecNo = rec;
    Hamlog.LastResult = HamlogOpenDb();
    const bool opened = Hamlog.LastResult == 0;
    const bool read = opened && ReadQsoFull(rec) == 0;
    HamlogCloseDb(0);
    if (!opened) {
      MsgBox(WithOpenFailureCause(QStringLiteral("HAMLOGデータがOpen出来ません。")));
      return;  // the panel keeps the QSO it showed: the shared fields are not this cell's
    }
    if (!read) return;
    Label10.setText(Qso.QsoCall);
    Label9.setText(Qso.QsoDate);
    Label8.setText(Qso.QsoMode);
    Label7.setText(Qso.QsoQth);
    Label11.setText(kindNumber == 5 ? Qso.QsoCode : Qso.GridLocator);
    return;
  }
  if (r != 0 || kindNumber >= 2) return;
  MSFlexGrid2.SetRedraw(false);
  MemberSortToggle = MemberSortToggle == 0 ? 1 : 0;
  if (c == 1 || c == 2) {
    MSFlexGrid2.SetCol(c);
    MSFlexGrid2.Sort(MemberSortToggle == 1 ? flexSortGenericDescending : flexSortGenericAscending);
  }
  MSFlexGrid2.SetRedraw(true);
}

void ACCSheet::Form_Unload(int& /*cancel*/) {
  HamlogCloseDb(0);
  if (MemberListFile.IsOpen()) MemberListFile.Close();
  if (AmaListFile.IsOpen()) AmaListFile.Close();
  if (AwardSheetHooks.ReleaseTables) AwardSheetHooks.ReleaseTables();
  WriteIni("ORBEXPOS", "SBPOSTop", QString::number(Top()));
  WriteIni("ORBEXPOS", "SBPOSLeft", QString::number(Left()));
  WriteIni("ORBEXPOS", "SBPOSWidth", QString::number(Width()));
  WriteIni("ORBEXPOS", "SBPOSHeight", QString::number(Height()));
  SetMousePointer(vbDefault);
  if (ORBTOP* top = LoadedForm<ORBTOP>()) {
    top->Show();
    top->EndReading();
  }
}

void ACCSheet::SelectBandList(const QString& key) {
  BandListKey = key;
  WriteBandList();
}

void ACCSheet::WriteBandList() {
  Label6.hide();
  const int32_t kind = AwardSheets.SheetKind;
  if (kind < 2 || kind > 5 || BandListKey.isEmpty()) return;
  Frame3.show();
  Frame3.raise();
  DoEvents();
  const BandListOutcome out =
      ::WriteBandList(kind, BandListKey, MSFlexGrid2, SheetRowCount, Settings.ExtendedBandSet == 1);
  if (!out.opened) {
    Frame3.hide();
    MsgBox(WithOpenFailureCause(QStringLiteral("HAMLOGデータがOpen出来ません。")));
    return;
  }
  if (out.unreadable > 0)
    MsgBox(QStringLiteral("読めないHAMLOGレコードが ") + QString::number(out.unreadable) +
           QStringLiteral(" 件あり、リストから外しました。"));
  if (kind == 5) MsgBox("DXCC=" + QString::number(out.count) + "Point");
  Frame3.hide();
  if (!out.written) {
    MsgBox(out.path + QStringLiteral(" を書き込めませんでした。"));
    return;
  }
  Label6.setText(BandListKey + QStringLiteral(" cfm局数＝ ") + QString::number(out.count));
  Label6.show();
  Hamlog.LastResult = ShellOpen(out.path);
}
