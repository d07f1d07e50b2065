#pragma once
// The QSO entry window "ORBEXログ": the one window that writes the operator's log. A new QSO is typed
// and appended to HAMLOG.HDB; a stored one (browsed, or opened from the lists and the log viewer) is
// edited and updated in place. Enter walks the fields, F-keys and Alt-keys jump, the code field looks
// codes up in HAMLOG's code master, the rig fills the frequency of a new QSO.
//
//   OpenLogWindow();                        // a new QSO (logbook windows' entry point)
//   ShowStoredQso(recNo);                   // the record just read into Hamlog.Thw
//   Form<TEMP_LOG>().LSave.Trigger();       // F1

#include <QString>
#include <QTime>
#include <cstdint>
#include <vector>

#include "logbook/QsoDraft.h"
#include "logbook/QsoEntry.h"
#include "platform/hamlog/hamlog.h"
#include "platform/ui/buttons.h"
#include "platform/ui/form.h"
#include "platform/ui/frame.h"
#include "platform/ui/label.h"
#include "platform/ui/lists.h"
#include "platform/ui/menu.h"
#include "platform/ui/statusbar.h"
#include "platform/ui/textbox.h"
#include "rig/RigLink.h"

class TEMP_LOG : public VbForm, public RigListener {
 public:
  TEMP_LOG();
  ~TEMP_LOG() override;

  void Form_Load() override;
  // The program's waits show in the status bar's message panel.
  void showNote(const QString& text) override { StatusBar1.ShowNote(2, text); }
  void Form_Activate() override;
  void Form_KeyDown(int& keyCode, int shift) override;
  void Form_QueryUnload(int& cancel, int unloadMode) override;
  void Form_Unload(int& cancel) override;

  // Prepares a new QSO (button "新"): clean fields but the station of the last save, today's date and
  // time, the next record number, the call the sheet's call box holds now (none without `sheetCall`).
  // False when HAMLOG could not be opened (said).
  bool NewRecord(bool sheetCall = true);
  // Fills the window from the record in Hamlog.Thw and keeps a copy of it for the update. False (said,
  // HAMLOG closed, the window as it was) when the block did not hold a whole record.
  bool ShowQsoInLogWindow();
  // The save (menu LSave, F1).
  void SaveQso();
  // The fields as they would be written.
  QsoEntry Entry() const;
  void SetEntry(const QsoEntry& e);
  // How a value put in from outside the box counts: found by a look-up (it fills only what the
  // operator has not typed), a find the operator chose in a list of them (it replaces what the box
  // holds), or the operator's own entry made with a pick list.
  enum class Put { LookedUp, Chosen, Typed };
  void PutCodeAndQth(const QString& code, const QString& qth, Put how);
  // A name the operator chose in the QSO window.
  void PutChosenName(const QString& name);
  // The keyboard back in the code field from its pick list, as any keyboard arrival: the code selected.
  void ReachCodeField() { reach(Text9); }
  void SaveLogWindowPos();
  // True when no new QSO typed here is left unsaved, or the operator lets it go when asked.
  bool MayDropNewQso();
  // The code field's search on the progress sheet (menu "Ｃode Check").
  void CodeCheck();
  // The shown record's QSL card (menu HLQ).
  void PrintShownQsl();

  void RigFrequency(int64_t hz, const QString& entryText, const QString& statusText) override;

  // Window-level values.
  int32_t RecordSaved = 0;
  QString LastModeIndex = "0";
  QString LastSavedCall;
  int32_t InsertMode = 0;
  QString EndTimeText;
  int32_t EndTimeRecorded = 0;
  int32_t BrowseRecNo = 0;
  QTime EntryTime;
  QString CallAreaDigit;
  int32_t CallAreaPos = 0;
  int32_t InitialSearchKind = 4;
  int32_t RemarkTarget = 0;
  ThwRecord ShownRecordBackup{};  // the stored record as it was shown: the update's old record

 protected:
  void showEvent(QShowEvent* e) override {
    shownOnce_ = true;
    VbForm::showEvent(e);
  }

 public:

  // Menus.
  Menu LSave{this, "Ｌog保存(F1)"};
  Menu RECENDTIME{this, "終了時間記録"};
  Menu LCan{this, "閉（Esc）(&X)"};
  Menu HLMENT{this, "Ｈamlog保守"};
  Menu IDXAGN{&HLMENT, "ＩDX再構築"};
  Menu DATDEL{&HLMENT, "ﾃﾞｰﾀ削除"};
  Menu HLQ{this, "ＱＳＬ印刷 (&S)"};
  Menu QSLform{this, "ＱＳＬ定義体"};
  Menu CODECHK{this, "Ｃode Check"};
  Menu LOGHLPmenu{this, "ﾍﾙﾌﾟ"};
  Menu LOGHLP{&LOGHLPmenu, "ﾍﾙﾌﾟ"};
  Menu GOEQSL{this, "eQSLccのサイトへ"};
  Menu GOQSOBANK{this, "ＱＳＯＢａｎｋのサイトへ"};
  Menu JCCG{this, "市郡区"};
  Menu CCTY{&JCCG, "市"};
  Menu CGUN{&JCCG, "郡"};
  Menu CKU{&JCCG, "区"};
  Menu CTWN{&JCCG, "町"};
  Menu CVLI{&JCCG, "村"};
  Menu CDX{&JCCG, "ＤＸ"};
  Menu LT{this, "ＬocalTime"};
  Menu Qrcv{this, "F12ｷｰでQSL受領ﾏｰｸ入"};

  // Fields and their labels.
  Label Label1{this, "Callsign(F2)"};
  TextBox Text1{this};
  Label Label3{this, "Date"};
  TextBox Text3{this};
  Label Label4{this, "Time(F3)"};
  TextBox Text4{this};
  Label Label5{this, "His(F4)"};
  TextBox Text5{this};
  Label Label6{this, "mY"};
  TextBox Text6{this};
  Label Label7{this, "Fmhz(F5)"};
  TextBox Text8{this};
  Label Label8{this, "Mode"};
  ComboBox Combo1{this, false};
  Label Label17{this, "MODE"};
  Label Label9{this, "codE(F6)"};
  TextBox Text9{this};
  CheckBox Check1{this, "D"};
  Label Label10{this, "Gl(F7)"};
  TextBox Text10{this};
  Label Label12{this, "Name(F8)"};
  TextBox Text12{this};
  Label Label13{this, "Qth (F9)"};
  TextBox Text13{this};
  Label Label11{this, "qsL s  r"};
  TextBox Text11{this};
  TextBox Text16{this};
  TextBox Text17{this};
  Label Label14{this, "Remk1(F10)"};
  TextBox Text14{this};
  Label Label15{this, "remK2(F11)"};
  TextBox Text15{this};

  CommandButton Command2{this, "<"};
  CommandButton Command3{this, ">"};
  CommandButton Command5{this, "<<"};
  CommandButton Command6{this, ">>"};
  CommandButton Command4{this, "新(&A)"};
  CommandButton Command7{this, "eQSLcc"};
  CommandButton Command8{this, "Strt"};
  CommandButton Command9{this, "End"};

  ListBox List1{this};  // frequency picks
  Frame Frame7{this, "道の駅 List"};
  ListBox List2{&Frame7};
  Frame Frame2{this, "頭文字検索"};
  Label Label16{&Frame2};
  TextBox Text18{&Frame2};
  CommandButton Command1{&Frame2, "Cancel"};
  PictureBox Picture1{this};
  StatusBar StatusBar1{this, 3};

 private:
  friend bool OpenLogWindow();
  bool shownOnce_ = false;  // shown since it was loaded
  QsoDraft draft_;          // the QSO the boxes show
  int showing_ = 0;         // the window puts the draft into the boxes
  Put putting_ = Put::LookedUp;  // how the values the window puts in now count
  // For as long as it lives, values put in count as `how`.
  struct Putting {
    Putting(TEMP_LOG& w, Put how) : w_(w), before_(w.putting_) { w.putting_ = how; }
    ~Putting() { w_.putting_ = before_; }
    Putting(const Putting&) = delete;
    Putting& operator=(const Putting&) = delete;
    TEMP_LOG& w_;
    Put before_;
  };
  QString typedDigits_[2];  // digits typed in a row into the date and the time since either was reached
  QWidget& boxOf(QsoBox box);
  void wireDraft();
  void noteChange(QsoBox box);
  // The QSO shown is not what HAMLOG holds: F1 is offered, "新" is not.
  void showUnsaved();
  void showDraft();
  // A box reached from the keyboard: its text selected, also when it holds the keyboard already.
  void reach(QWidget& box, Qt::FocusReason reason = Qt::OtherFocusReason);
  void completeDateOrTime(TextBox& box);
  bool normaliseDateOrTime(TextBox& box);
  bool nothingTypedInNewQso() const;
  // What HAMLOG does not hold: a new QSO typed and not saved, or an edit of the stored QSO shown.
  bool holdsUnsaved() const;
  void wireFields();
  // Electronic QSL files of the shown QSO or of a marked run of records.
  void wireEqsl();
  void showEqslButtons(bool storedRecord);
  void wireCodeField();
  void layOut();
  void fillModeList();
  void storeModeIndex();
  void setReportLock(int which, bool locked);
  bool askUnsaved(const QString& text);
  void closeFromMenu();
  void closeWindowAndLists(bool unloadSelf);
  void browse(int step);
  void deleteShownRecord();
  void rebuildIndexes();
  void markQslReceived();
  void snapshot();
  bool readBack();
  void reopenIfStored();
  void refreshLogViewer();
  bool openHamlogOrSay();
  void enterMoves(int& keyAscii, QWidget& next);
  // Code field.
  void Text9_Change();
  void Text9_KeyDown(int& keyCode);
  void findCallArea();
  void lookUpCode();
  void openInitialPanel(int32_t kind);
  void Text18_KeyPress(int& keyAscii);
  void searchByInitial(const QString& key);
  void toggleZone();
  void fillNow();
  void showRoadsideStations(int target);
  void pickRoadsideStation();
  void pickFrequency(bool hide, bool toMode);
  void mirrorToQsoWindow(int column, const QString& text);
};

// Opens the entry window for a new QSO (its time in UTC when the D flag of the last code is set) and
// shows it; HAMLOG's open failure is said. False when the window keeps a new QSO typed there and not
// saved (the operator was asked) or HAMLOG could not be opened.
bool OpenLogWindow();
// Shows the record just read into Hamlog.Thw in the entry window (opened when needed); false, HAMLOG
// closed, when the window keeps a new QSO typed there and not saved (the operator was asked) or the
// record could not be handed over whole (said; the window as it was).
bool ShowStoredQso(int32_t recNo);
