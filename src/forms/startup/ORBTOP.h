#pragma once
// The start window: the program's first window. Its load is the start-up (designated cities, settings,
// HAMLOG database and library checks, tips); it holds the reading conditions and the start button that
// opens the progress sheet.

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>

#include "platform/ui/buttons.h"
#include "platform/ui/control_array.h"
#include "platform/ui/form.h"
#include "platform/ui/frame.h"
#include "platform/ui/label.h"
#include "platform/ui/lists.h"
#include "platform/ui/menu.h"
#include "platform/ui/textbox.h"
#include "platform/ui/timer.h"

struct StartupReading;
class RigListener;

// Services that come with later work plug in here; an empty hook is skipped.
struct StartWindowHooksState {
  // In place of the progress sheet (tests): true when the sheet is up, so the start window hides.
  std::function<bool()> ShowProgressSheet;
};
extern StartWindowHooksState StartWindowHooks;

class ORBTOP : public VbForm {
 public:
  ORBTOP();
  ~ORBTOP() override;
  void Form_Load() override;
  void Form_QueryUnload(int& cancel, int unloadMode) override;
  void Form_KeyDown(int& keyCode, int shift) override;

  // The reading state: hourglass, inputs disabled, the boxes copied into ReadConditions.
  void BeginReading();
  void EndReading();
  // 0 when HAMLOG can be read (library version, record count, code master) and MasterTable is sized;
  // 1 after the reason was shown.
  int32_t CheckHamlogReady();

  // What the progress sheet asks of the start window: the status line, "前回データで起動" unticked,
  // and the window shown again after the sheet closed (the box ticked when the previous data still
  // serves, the log's record count counted anew).
  // A reading that says why it reads the whole log keeps saying so, with its counter, to its end.
  void ShowReadStatus(const QString& text);
  void ClearStartWithPreviousData() { Check1.SetValue(0); }
  void ReturnFromSheet(bool previousUsable);
  // The start button's reading runs.
  bool Reading() const { return reading_ || starting_; }
  // Mode list: an Enter in Combo1's edit field adds the typed mode, or deletes the chosen one when
  // the field is empty. MODCH collects the modes of HAMLOG.
  void Combo1_KeyPress(int& keyAscii);
  void MODCH_Click();
  // Ends the program as "終了(&X)" does: work files, clipboard, every other window, then this one.
  void PEND_Click();
  // The station-count list of a band key ("10", "ALL", "VUALL", ...): scanned, written, sorted,
  // counted and opened.
  void MakeBandStationList(const QString& bandKey);
  // After each poll tick (Timer2): frequency, call, code and mode to the spot program.
  void RelaySpotAfterPoll();

  // Window state.
  int32_t HamlogDllVersion = 0;  // 503 for 5.03
  int32_t ModeChosen = 0;        // Combo1's item that an Enter on an empty field deletes
  int32_t BadDefinitionLine = 0;
  QString LoadedStartDate;

  // Menus.
  Menu MENU{this, "MENU(&M)"};
  Menu SETCFG{&MENU, "環境設定(&C)"};
  Menu MODCH{&MENU, "ﾓｰﾄﾞ自動登録(&M)"};
  Menu menuSep1{&MENU, "-"};
  Menu ACCchk{&MENU, "ACC/JAG check"};
  Menu ACCmodeset{&MENU, "設定"};
  Menu menuSep2{&MENU, "-"};
  Menu otheaward{&MENU, "ORB 以外のアワード処理"};
  Menu GLsarch{&otheaward, "GridSquareLocater"};
  Menu aGrigFLDSrh{&GLsarch, "FIELD6"};
  Menu aGrigSrh{&GLsarch, "SQUARE 75(国内のみ）"};
  Menu aGrigSrh100{&GLsarch, "subSQUARE 100(国内のみ）"};
  Menu aGrigSrhDX{&GLsarch, "WASA (全世界）"};
  Menu stnAWARD{&otheaward, "その他 JARL 関連"};
  Menu w10{&stnAWARD, "10MHz-100～1000"};
  Menu w18{&stnAWARD, "18MHz-100～1000"};
  Menu w24{&stnAWARD, "24MHz-100～1000"};
  Menu w1000{&stnAWARD, "WARC-1000～"};
  Menu v50{&stnAWARD, "50MHz-100～1000"};
  Menu v144{&stnAWARD, "144MHz-100～1000"};
  Menu v430{&stnAWARD, "430MHz-100～1000"};
  Menu v1000{&stnAWARD, "V・Ｕ 1000～"};
  Menu v1200{&stnAWARD, "1200MHz-500"};
  Menu v2400{&stnAWARD, "2400MHz-500"};
  Menu v5600{&stnAWARD, "5600MHz-500"};
  Menu v10G{&stnAWARD, "10GHz-500"};
  Menu v24G{&stnAWARD, "24GHz-500"};
  Menu v47G{&stnAWARD, "47GHz-500"};
  Menu v77G{&stnAWARD, "77GHz-500"};
  Menu v135K{&stnAWARD, "135kHz-100"};
  Menu v475K{&stnAWARD, "475kHz-100"};
  Menu stnSep{&stnAWARD, "-"};
  Menu JARLstn{&stnAWARD, "JARL stations"};
  Menu JCCchk{&stnAWARD, "JCC / JCG"};
  Menu xDXCC{&stnAWARD, "DXCC(簡易)"};
  Menu ELDER_AWARD{&otheaward, "ELDERメモリアル(2019-2021)"};
  Menu jarlweb{&otheaward, "JARLｱﾜｰﾄﾞのweb申請サイト"};
  Menu MichiGet{&MENU, "道の駅 整理簿"};
  Menu myMemo{&MENU, "覚え書き"};
  Menu menuSep3{&MENU, "-"};
  Menu PEND{&MENU, "終了(&X)"};
  Menu helpmenu{this, "Hｅｌｐ(&H)"};
  Menu OnePointHelp{&helpmenu, "ﾜﾝﾎﾟｲﾝﾄﾍﾙﾌﾟの表示(&O)"};
  Menu hlp{&helpmenu, "Help(&H)"};

  // Controls.
  Label Label1{this};
  Label Label4{this, "独自のQTHデータが「有効」"};
  Label Label5{this, "HAMLOGの場所が未登録です"};
  Label Label10{this, "Record件数 ="};
  Label Label11{this};
  Label Label13{this, "共有中"};
  Frame Frame2{this, "抽出条件"};
  Label Label7{&Frame2, "期間"};
  TextBox Text7{&Frame2, "19520729"};
  Label Label8{&Frame2, "～"};
  TextBox Text8{&Frame2, "99999999"};
  Label Label6{&Frame2, "モード"};
  ComboBox Combo1{&Frame2};
  TextBox Text6{&Frame2};
  Frame Frame1{this, "ｶｳﾝﾄから除外するQSL区分"};
  TextBox Text1{&Frame1, "P"};
  TextBox Text2{&Frame1};
  TextBox Text3{&Frame1};
  TextBox Text4{&Frame1};
  TextBox Text5{&Frame1};
  CheckBox Check1{this, "前回データで起動"};
  CommandButton Command1{this, "読み込み開始"};
  Label Label9{this, "ｶｳﾝﾀ"};
  PictureBox Picture1{this};
  VbTimer Timer2{this, 0, false};  // the transceiver's poll; each tick also relays the spot

 private:
  void buildLayout();
  void wireHandlers();
  void installHooks();
  bool loadDesignatedCities(bool atStart);
  void showDatabase();
  void checkDatabaseFile();
  void resetSharedFlags();
  void applyBoxes(const StartupReading& r);
  void normalStart();
  void reportFailures();
  void firstRunStart();
  void incompleteSetupStart();
  void showStartWindowTips(int32_t onRequest);
  void setReadingInputsEnabled(bool on);
  void endProgramWithMessage(const QString& text);
  void showSettingsDialog();
  bool unloadOtherWindows();
  void OnePointHelp_Click();
  void JCCchk_Click();
  void Combo1_Click();
  void addMode(const QString& typed);
  void deleteChosenMode();
  // Combo1's stored modes: the items after "MIX" up to Settings.ModeCount.
  QStringList storedModes() const;
  // Puts a new stored mode after the others (before "DIGITAL", which follows once there is one) and
  // counts it in Settings.ModeCount; the new count.
  int32_t insertStoredMode(const QString& mode);
  void reportIniWriteFailure();

  void Command1_Click();
  void Check1_Click();
  void tickPrevious(bool usable);
  void Text1_KeyPress(int& keyAscii);
  void CategoryBox_KeyPress(int box, int& keyAscii);
  void CategoryBox_Change(int box);
  void DateBox_KeyPress(TextBox& box, int& keyAscii);
  void Text7_Change();

  TextBox& categoryBox(int box);  // 1 .. 5

  std::unique_ptr<RigListener> spotRelay_;  // relays after every poll tick while the window lives
  bool hdbFound_ = false;
  bool reading_ = false;   // between BeginReading and EndReading
  bool starting_ = false;  // the start button's handler runs
  QString readingNote_;    // why this reading reads the whole log; "" when it says nothing
  // HAMLOG.HDB's stamp when this window ticked "前回データで起動" itself (empty once the operator
  // clicks the box): a log changed since is looked at again at the press.
  QString tickedOnStamp_;
  QStringList failures_;   // settings that could not be used, told once the start-up has ended
};

// The caption "ORBEX5    Ver 1.18" of a version; a revision other than 0 adds its hexadecimal digits.
QString StartWindowCaption(int major, int minor, int revision);

// Removes the work files of the sheet and the outputs, as every way out of the program does;
// DMYDBS.DAT stays for the next start.
void DeleteWorkFilesOnExit();
