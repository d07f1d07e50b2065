#pragma once
// The list dialog of the progress sheet (its frame Frame8): band, kind and status boxes, the list
// format, GO and CANCEL. Opened for a wanted list by "Wantedの作成", or laid out for one award by the
// award-check menus "JCC/JCG/KU/WAJA"; GO writes the list through outputs/. It also carries the
// sheet's other output menus: acag.dat, the QTH data file and the register window.

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

#include "outputs/AwardLists.h"
#include "outputs/ListChoices.h"
#include "outputs/OutputRun.h"
#include "platform/ui/buttons.h"
#include "platform/ui/control_array.h"
#include "platform/ui/frame.h"
#include "platform/ui/label.h"
#include "rig/RigLink.h"

class CWSHEET;
class Menu;

class ListDialog : public Frame {
 public:
  explicit ListDialog(CWSHEET* sheet);
  ~ListDialog() override;

  // Connects the sheet's output menus to the handlers here; the sheet calls it once, when built.
  void WireSheetMenus();

  Frame Frame11{this, QStringLiteral("周波数帯")};
  ControlArray<CheckBox> Check1{&Frame11, 0, 22};
  CommandButton Command20{&Frame11, QStringLiteral("全解除")};
  Frame Frame9{this, QStringLiteral("市区町村 (DX)")};
  ControlArray<CheckBox> Check2{&Frame9, 0, 5};
  CommandButton Command21{&Frame9, QStringLiteral("全解除")};
  CheckBox Check6{this, QStringLiteral("未QSO")};
  CheckBox Check7{this, QStringLiteral("Wkd")};
  Label Label16{this, QStringLiteral("出力ﾌｧｲﾙ")};
  ControlArray<OptionButton> Option2{this, 0, 3};
  CommandButton Command14{this, QStringLiteral("GO !")};
  CommandButton Command13{this, QStringLiteral("CANCEL")};

  // WNTPRN "Wantedの作成".
  void OpenWantedListDialog();
  // Option2: the list format ("1" text, "2" MachiList.txt, "3" CSV), stored in [ORB] WNTP at once.
  void SelectListFormat(int index);
  void ClearBandBoxes();
  void ClearKindBoxes();
  // Command13 "CANCEL" / "CLOSE".
  void CloseListDialog();
  // The award-check menus: 1 JCC, 2 JCG, 3 WAJA, 4 WAKU, 5 ORB-KU, 8 DX.
  void SelectAwardCheck(int32_t mode);
  void ResetWantedListDialog();
  // A mouse release over band box `index`: in award modes it becomes the one ticked box.
  void PickSingleBand(int index, int button);
  // Command14 "GO !".
  void Go();
  // Command10 "End" of the town/village frame.
  void CloseChousonFrame();
  // mkACAGdat "ZLOG用 acag.dat の作成", mkQTHdat "全QTHデータCSV出力".
  void MakeAcagDat();
  void MakeQthData();
  // seiribo "新市 整理簿".
  void OpenSeiribo();
  // Status bar panel 5 := the register note of the code (empty when it has none).
  void FindInSeiribo(const QString& code);

  // The boxes as GO reads them.
  ListChoices Choices() const;

 private:
  void buildLayout();
  void placeBandBoxes();
  void SetupAwardCheckDialog();
  void runAwardList();
  void runWantedList();
  // The sheet's controls a wanted list switches off (`on` false) and back on.
  void setWantedListLock(bool on);
  void enableAfterWantedList();
  void closingSteps(const QString& openPath);
  void setAwardLock(bool on);
  void setGoRunning(bool running);
  void showRun(const OutputRun& run);

  CWSHEET* sheet_;
  std::optional<RigPollPause> pollPause_;  // the transceiver poll, held off while a wanted list runs
};
