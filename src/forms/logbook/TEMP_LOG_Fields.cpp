// The entry window's fields: typing filters, the Enter chain, caret rules, the date and time, the
// report locks, the code field with its code-master lookups, and the pick lists.
#include <QApplication>
#include <QCoreApplication>
#include <algorithm>

#include "awards/RoadsideStations.h"
#include "core/HamlogAccess.h"
#include "core/SettingsStore.h"
#include "core/SharedSettings.h"
#include "forms/logbook/LogbookWindows.h"
#include "forms/logbook/QSODATA.h"
#include "forms/logbook/TEMP_LOG.h"
#include "forms/lookup/CODE_LIST.h"
#include "forms/sheet/CWSHEET.h"
#include "logbook/CodeMaster.h"
#include "logbook/LogWindowState.h"
#include "logbook/QslCheck.h"
#include "lookup/CodeListState.h"
#include "platform/clock.h"
#include "platform/codepage.h"
#include "platform/ui/msgbox.h"
#include "platform/vbstrings.h"
#include "rig/RigPortState.h"

namespace {

QString u8(const char* text) { return QString::fromUtf8(text); }

// What a field keeps of the typed characters.
enum Keep : int { kDigits = 1, kSlash = 2, kLetters = 4, kColon = 8, kDot = 16, kAny = 32 };

bool kept(int code, int keep) {
  if (keep & kAny) return true;
  if ((keep & kDigits) && code >= '0' && code <= '9') return true;
  if ((keep & kLetters) && code >= 'A' && code <= 'Z') return true;
  if ((keep & kSlash) && code == '/') return true;
  if ((keep & kColon) && code == ':') return true;
  if ((keep & kDot) && code == '.') return true;
  return false;
}

// The text as typing it would have left it: letters upper-cased where the field turns them, only the
// characters the field keeps (no line ends, tabs or other control characters anywhere).
QString typedForm(const QString& text, int keep, bool narrow) {
  QString out;
  out.reserve(text.size());
  for (QChar c : narrow ? NarrowText(text) : text) {
    int code = c.unicode();
    if ((keep & kLetters) && code >= 'a' && code <= 'z') code -= 32;
    if (code >= 0x20 && code != 0x7F && kept(code, keep)) out += QChar(char16_t(code));
  }
  return out;
}

// The fields' own caret steps follow the characters typed only: the caret keys, Backspace, the
// modifiers and their chords (Ctrl+A, Alt+D) leave the caret where they put it.
bool typesACharacter(int keyCode, int shift) {
  if (shift & (vbCtrlMask | vbAltMask)) return false;
  return keyCode == vbKeySpace || (keyCode >= vbKey0 && keyCode <= vbKeyZ) ||
         (keyCode >= vbKeyNumpad0 && keyCode < vbKeyF1) || keyCode > 145;
}

}  // namespace

void TEMP_LOG::enterMoves(int& keyAscii, QWidget& next) {
  keyAscii = 0;
  next.setFocus();
}

QWidget& TEMP_LOG::boxOf(QsoBox box) {
  QWidget* const boxes[] = {&Text1,  &Text3,  &Text4,  &Text5,  &Text6,  &Text8,  &Combo1, &Text9, &Text10,
                            &Text11, &Text16, &Text17, &Text12, &Text13, &Text14, &Text15, &Check1};
  return *boxes[int(box)];
}

void TEMP_LOG::reach(QWidget& box, Qt::FocusReason reason) {
  auto* text = qobject_cast<QLineEdit*>(&box);
  if (text && box.hasFocus()) text->selectAll();
  if (auto* control = dynamic_cast<TextBox*>(&box))
    control->setFocus(reason);
  else
    ui_detail::SetFocus(box, reason);
}

// Every change of a box reaches the draft: typed when the operator's hand made it, else looked up (a
// look-up refused leaves the box as the draft holds it). The draft then decides what the boxes show.
void TEMP_LOG::wireDraft() {
  for (int b = 0; b < kQsoBoxCount; ++b) {
    const QsoBox box = QsoBox(b);
    if (auto* text = dynamic_cast<TextBox*>(&boxOf(box))) {
      text->SetKeyboardSelects(true);
      QObject::connect(text, &QLineEdit::textChanged, text, [this, box] { noteChange(box); });
    }
  }
  QObject::connect(&Check1, &QCheckBox::stateChanged, &Check1, [this] { noteChange(QsoBox::DFlag); });
  QObject::connect(&Combo1, &QComboBox::currentTextChanged, &Combo1, [this] { noteChange(QsoBox::Mode); });
  // The digits typed in a row into the date or the time count from the keyboard's or the mouse's arrival.
  for (int i : {0, 1}) {
    TextBox& box = i == 0 ? Text3 : Text4;
    box.GotFocus = [this, i] { typedDigits_[i].clear(); };
    box.MouseDown = [this, i](int, int, float, float) { typedDigits_[i].clear(); };
  }
}

void TEMP_LOG::noteChange(QsoBox box) {
  if (showing_ > 0) return;
  QWidget& w = boxOf(box);
  auto* text = dynamic_cast<TextBox*>(&w);
  const QString value = box == QsoBox::DFlag  ? (Check1.Value() == 1 ? QStringLiteral("1") : QString())
                        : box == QsoBox::Mode ? Combo1.Text()
                                              : text->text();
  // The check box and the mode list change only by the operator's click or pick, or through the draft.
  const bool typed = putting_ == Put::Typed || !text || text->Typing();
  if (typed)
    draft_.Type(box, value);
  else if (putting_ == Put::Chosen)
    draft_.Choose(box, value);
  else
    draft_.LookUp(box, value);
  if (!typed && (box == QsoBox::Date || box == QsoBox::Time))
    typedDigits_[box == QsoBox::Date ? 0 : 1].clear();
  showDraft();
  // Typed over once saved (keys held during the save's wait arrive after it): not saved any more.
  if (RecordSaved != 0 && LogWindowState.EditMode == 1 && draft_.Edited()) showUnsaved();
}

void TEMP_LOG::showDraft() {
  const ui_detail::Hold own(showing_);
  for (int b = 0; b < kQsoBoxCount; ++b) {
    const QsoBox box = QsoBox(b);
    const QString value = draft_.Text(box);
    if (box == QsoBox::DFlag) {
      if (Check1.Value() != (value.isEmpty() ? 0 : 1)) Check1.SetValue(value.isEmpty() ? 0 : 1);
    } else if (auto* text = dynamic_cast<TextBox*>(&boxOf(box)); text && text->text() != value) {
      text->setText(value);
      // Digits typed for another value (the QSO saved before 新) are not this one's.
      if (box == QsoBox::Date || box == QsoBox::Time) typedDigits_[box == QsoBox::Date ? 0 : 1].clear();
    }
  }
}

void TEMP_LOG::completeDateOrTime(TextBox& box) {
  const QString t = box.text();
  const bool digitsOnly =
      !t.isEmpty() && std::all_of(t.begin(), t.end(), [](QChar c) { return c.isDigit(); });
  if (!digitsOnly) return;
  // Eight digits are a whole date: on to the time, as after the date's last place.
  if (&box == &Text3 && t.size() == 8) Text4.setFocus();
  // Four digits are a whole time: it takes its form at once, the zone letter next to be typed over.
  if (&box == &Text4 && t.size() == 4 && normaliseDateOrTime(Text4)) Text4.SetSelStart(5);
}

bool TEMP_LOG::normaliseDateOrTime(TextBox& box) {
  const bool date = &box == &Text3;
  const QString& typed = typedDigits_[date ? 0 : 1];
  const std::optional<QString> v =
      date ? TypedDate(box.text(), typed) : TypedTime(box.text(), typed, draft_.Zone());
  if (v && *v != box.text()) box.setText(*v);
  return v.has_value();
}

void TEMP_LOG::wireFields() {
  // One rule for every text field: its kept characters, Enter to the next field, overwrite.
  struct Rule {
    TextBox* box;
    int keep;
    QWidget* next;
    bool alwaysOverwrite;
  };
  const Rule rules[] = {
      {&Text1, kDigits | kSlash | kLetters, &Text4, false}, {&Text3, kDigits | kLetters, &Text4, true},
      {&Text4, kDigits | kColon | kLetters, &Text5, true},  {&Text5, kDigits, &Text6, false},
      {&Text6, kDigits, &Text8, false},                     {&Text8, kDigits | kDot | kSlash | kLetters, &Combo1, false},
      {&Text10, kDigits | kLetters, &Text12, false},        {&Text12, kAny, &Text13, false},
      {&Text13, kAny, &Text11, false},                      {&Text11, kLetters, &Text16, true},
      {&Text16, kAny, &Text17, true},                       {&Text17, kAny, &Text14, true},
      {&Text14, kAny, &Text15, false},                      {&Text15, kAny, &Text4, false},
  };
  for (const Rule& r : rules) {
    // The QSL marks, which HAMLOG keeps one byte each, take a full-width mark as the half-width one.
    const bool narrows = r.box == &Text11 || r.box == &Text16 || r.box == &Text17;
    const int digits = r.box == &Text3 ? 0 : r.box == &Text4 ? 1 : -1;
    r.box->KeyPress = [this, r, narrows, digits](int& k) {
      if (r.box == &Text8) RigPortState.ManualFreqFlag = 1;
      if (digits >= 0 && k == 8) typedDigits_[digits].chop(1);
      if (k == 8) return;
      if (narrows) k = NarrowAnsiCode(k);
      if (k == 13) return enterMoves(k, *r.next);
      const bool letters = (r.keep & kLetters) != 0;
      if (letters && k >= 'a' && k <= 'z') k -= 32;
      if (!kept(k, r.keep)) k = 0;
      if (digits >= 0 && k != 0) typedDigits_[digits] += k >= '0' && k <= '9' ? QChar(k) : QChar('x');
      // A selection is replaced whole. The date, the time and the one-mark QSL boxes keep their form
      // otherwise: each character replaces the one at the caret.
      if (k != 0 && (r.alwaysOverwrite || InsertMode == 0)) r.box->TypeOver();
    };
    // Pasted text is cleaned as typed text is (the date box keeps its own form, checked when it is
    // left): a call pasted as " ja1abc" and a line end is stored as JA1ABC.
    if (r.box != &Text3)
      QObject::connect(r.box, &QLineEdit::textEdited, r.box, [box = r.box, keep = r.keep, narrows](const QString& text) {
        const QString clean = typedForm(text, keep, narrows);
        if (clean == text) return;
        const int at = int(typedForm(text.left(box->cursorPosition()), keep, narrows).size());
        box->setText(clean);
        box->setCursorPosition(at);
      });
    // Pasted and input-method text too: HAMLOG holds Windows-31J only, and each field as many bytes
    // as its width (the box's maximum length, from HAMLOG's header): what the box shows is what is
    // stored, a double-byte character counting twice. The input methods' look-alikes become their
    // Windows-31J characters; any other character stays in sight, and the save names it.
    if (r.keep & kAny)
      r.box->Change = [box = r.box] {
        const QString clean = CutToAnsiBytes(WithAnsiLookAlikes(typedForm(box->text(), kAny, false)), box->maxLength(), true);
        if (clean == box->text()) return;
        const int at = box->cursorPosition();
        box->setText(clean);
        box->setCursorPosition(std::min(at, int(clean.size())));
      };
  }

  Text1.Change = [this] {
    if (LogWindowState.QslCheckMode != 1) LSave.SetEnabled(true);
  };
  Text1.LostFocus = [this] {
    draft_.CallDone();
    showDraft();
  };
  Text1.KeyUp = [this](int&, int) {
    if (LogWindowState.EditMode == 1) return;
    if (CWSHEET* sheet = LoadedForm<CWSHEET>()) sheet->Text3.setText(Text1.text().trimmed());
  };
  Text1.KeyDown = [this](int& keyCode, int) {
    if (keyCode != vbKeyDown || LogWindowState.QslCheckMode != 0 || Text1.text().isEmpty()) return;
    UnloadForm<QSODATA>();
    HamlogCloseDb(0);
    QString call = Text1.text().trimmed();
    // What was looked up for another call goes; what the operator typed stays.
    draft_.LookUpFor(call);
    showDraft();
    QSODATA::ShowStationQsos(call);
    SearchDxCodeToWindows(Text1.text());
    Text4.setFocus();
  };

  Text3.Change = [this] {
    if (LogWindowState.QslCheckMode != 1) LSave.SetEnabled(true);
  };
  Text3.KeyDown = [](int& keyCode, int) {
    if (keyCode == vbKeyDelete) keyCode = 0;
  };
  Text3.KeyUp = [this](int& keyCode, int shift) {
    if (!typesACharacter(keyCode, shift)) return;
    const int at = Text3.SelStart();
    if (at == 4 || at == 7) Text3.SetSelStart(at + 1);
    if (at == 10) Text4.setFocus();
    completeDateOrTime(Text3);
  };
  // A compact date becomes the field's own form; an impossible one keeps the focus here.
  Text3.LostFocus = [this] {
    if (normaliseDateOrTime(Text3)) return;
    MsgBox(u8("不正な日付です"), vbCritical, "ORBEX5");
    Text3.setFocus();
  };

  Text4.KeyDown = [this](int& keyCode, int) {
    if (keyCode == vbKeyDelete && LogWindowState.EditMode != 1) keyCode = 0;
    if (keyCode == vbKeyDown && LogWindowState.EditMode != 1) fillNow();
  };
  Text4.KeyUp = [this](int& keyCode, int shift) {
    if (!typesACharacter(keyCode, shift)) return;
    if (Text4.SelStart() == 2) Text4.SetSelStart(3);
    completeDateOrTime(Text4);
  };
  Text4.LostFocus = [this] {
    if (Text4.text().trimmed().isEmpty() || normaliseDateOrTime(Text4)) return;
    MsgBox(u8("不正な時刻です"), vbCritical, "ORBEX5");
    Text4.setFocus();
  };
  // A frequency takes its form in HAMLOG as the box is left: "10G" shows as the "*10" it is stored as.
  Text8.LostFocus = [this] {
    if (const auto f = StoredFreq(Text8.text()); f && *f != Text8.text()) Text8.setText(*f);
  };
  Text5.KeyUp = [this](int& keyCode, int shift) {
    if (typesACharacter(keyCode, shift) && Text5.SelStart() == 3) Text6.setFocus();
  };
  Text8.KeyDown = [this](int& keyCode, int) {
    if (keyCode != vbKeyDown) return;
    List1.show();
    List1.setFocus();
  };
  Text10.Change = [this] { mirrorToQsoWindow(10, Text10.text()); };

  Combo1.KeyPress = [this](int& k) {
    if (k >= 'a' && k <= 'z') {
      k -= 32;
      return;
    }
    if (k != 13) return;
    k = 0;
    Label17.setText(Combo1.Text());
    LastModeIndex = QString::number(Combo1.ListIndex());
    Text9.setFocus();
  };
  Combo1.KeyDown = [this](int& keyCode, int) {
    if (keyCode != vbKeyDown) return;
    keyCode = 0;
    Combo1.showPopup();
  };
  Combo1.LostFocus = [this] { storeModeIndex(); };

  Label4.Click = [this] { toggleZone(); };
  for (int which : {5, 6})
    (which == 5 ? Label5 : Label6).Click = [this, which] {
      if (LogWindowState.StoredRecordShown == 1 || LogWindowState.QslCheckMode == 1) return;
      int32_t& on = which == 5 ? Settings.HisRstDefault : Settings.MyRstDefault;
      on = on == 0 ? 1 : 0;
      setReportLock(which, on == 1);
      WriteIni("LASTCONDX", which == 5 ? "HisRST" : "MyRST", on == 1 ? "1" : "0");
    };
  Label7.Click = [this] {
    List1.show();
    List1.setFocus();
  };
  List1.Click = [this] { pickFrequency(false, false); };
  List1.DblClick = [this] {
    pickFrequency(true, false);
    reach(Text8);
  };
  List1.KeyDown = [this](int& keyCode, int) {
    if (keyCode != vbKeyReturn) return;
    keyCode = 0;
    pickFrequency(true, true);
  };
  List1.LostFocus = [this] { List1.hide(); };
  Label14.Click = [this] { showRoadsideStations(1); };
  Label15.Click = [this] { showRoadsideStations(2); };
  List2.DblClick = [this] { pickRoadsideStation(); };
  List2.MouseUp = [this](int button, int, float, float) {
    if (button == vbRightButton) Frame7.hide();
  };
  Frame7.Click = [this] { Frame7.hide(); };
}

void TEMP_LOG::fillNow() {
  EntryTime = NowJst().time();
  if (Text4.text().endsWith('U')) {
    const QDateTime utc = QDateTime(TodayJst(), EntryTime).addSecs(-9 * 3600);
    Text4.setText(TimeText(utc.time(), 'U'));
    Text3.setText(DateText(utc.date()));
  } else {
    Text3.setText(DateText(TodayJst()));
    Text4.setText(TimeText(EntryTime, 'J'));
  }
  Text5.setFocus();
}

void TEMP_LOG::toggleZone() {
  if (LogWindowState.EditMode == 1) {
    if (const auto switched = SwitchZone(Text3.text(), Text4.text())) {
      Text3.setText(switched->first);
      Text4.setText(switched->second);
    }
    return;
  }
  if (LogWindowState.UtcMode == 0) {
    const QDateTime utc = QDateTime(TodayJst(), EntryTime).addSecs(-9 * 3600);
    Text4.setText(TimeText(utc.time(), 'U'));
    Text3.setText(DateText(utc.date()));
    LogWindowState.UtcMode = 1;
  } else {
    Text3.setText(DateText(TodayJst()));
    Text4.setText(TimeText(EntryTime, 'J'));
    LogWindowState.UtcMode = 0;
  }
}

void TEMP_LOG::pickFrequency(bool hide, bool toMode) {
  if (List1.ListIndex() < 0) return;
  const Putting putting(*this, Put::Typed);
  Text8.setText(FreqOfPick(List1.List(List1.ListIndex())));
  RigPortState.ManualFreqFlag = 1;
  if (hide) List1.hide();
  if (toMode) Combo1.setFocus();
}

void TEMP_LOG::showRoadsideStations(int target) {
  RemarkTarget = 0;
  if (Roadside.RoadsideStationCount < 1) {
    Roadside.MichinoekiPath = MichinoekiTxtPath();
    LoadMichinoekiTxt(Roadside.MichinoekiPath);
  }
  List2.Clear();
  for (const RoadsideStation& s : Roadside.RoadsideStations)
    if (s.code == Text9.text()) List2.AddItem(QString(s.number).remove(u8("□")) + ' ' + s.name + ' ' + s.code);
  if (List2.ListCount() == 0) {
    (target == 1 ? Text14 : Text15).setFocus();
    return;
  }
  Frame7.Move(1080, 0);
  Frame7.show();
  Frame7.raise();
  RemarkTarget = target;
}

void TEMP_LOG::pickRoadsideStation() {
  const int i = List2.ListIndex();
  if (i >= 0 && (RemarkTarget == 1 || RemarkTarget == 2)) {
    TextBox& remark = RemarkTarget == 1 ? Text14 : Text15;
    const Putting putting(*this, Put::Typed);
    remark.setText(remark.text() + u8("□") + QString(List2.List(i)).remove(' ' + Text9.text()));
    remark.setFocus();
    remark.SetSelStart(int(remark.text().size()));  // more typed goes after the station picked
  }
  Frame7.hide();
}

void TEMP_LOG::mirrorToQsoWindow(int column, const QString& text) {
  QSODATA* list = LoadedForm<QSODATA>();
  const int row = QsoWindowState.QsoWindowRow;
  if (list && row >= 1 && row < list->MSFlexGrid1.Rows()) list->MSFlexGrid1.SetTextMatrix(row, column, text);
}

void TEMP_LOG::CodeCheck() {
  const QString code = Text9.text().trimmed();
  QslCheck.SheetFoundRow = 1;
  if (code.isEmpty()) return;
  const int first = AscAnsi(code);
  if (first > 64 || first < 0) return;
  if (CWSHEET* sheet = LoadedForm<CWSHEET>()) sheet->BringCodeRowUp(code, QslCheck.SheetFoundRow);
}

// ---- the code field

void TEMP_LOG::wireCodeField() {
  Text9.Change = [this] { Text9_Change(); };
  Text9.KeyPress = [this](int& k) {
    CodeListShared.JaCodeListMode = 1;
    if (k == 8) return;
    if (k == 13) {
      CodeListShared.JaCodeListMode = 0;
      return enterMoves(k, Text10);
    }
    if (k >= 'a' && k <= 'z') k -= 32;
    if (!((k >= '0' && k <= '9') || (k >= 'A' && k <= 'Z') || k == 226)) k = 0;
    if (k != 0 && InsertMode == 0) Text9.TypeOver();
  };
  Text9.KeyDown = [this](int& keyCode, int) { Text9_KeyDown(keyCode); };
  Text9.DblClick = [this] {
    CodeListShared.JaCodeListMode = 1;
    findCallArea();
    PopupMenu(JCCG);
  };
  Label9.Click = [this] {
    CodeListShared.JaCodeListMode = 1;
    findCallArea();
    PopupMenu(JCCG);
  };
  Check1.Click = [this] { LogWindowState.DxFlagText = Check1.Value() == 1 ? "8" : "0"; };
  const std::pair<Menu*, int32_t> kinds[] = {{&CCTY, 4}, {&CGUN, 5}, {&CKU, 6}, {&CTWN, 7}, {&CVLI, 8}};
  for (const auto& [menu, kind] : kinds) menu->Click = [this, kind = kind] { openInitialPanel(kind); };
  Text18.KeyPress = [this](int& k) { Text18_KeyPress(k); };
  // The panel is there for the keyboard: it goes once the keyboard is elsewhere.
  Text18.LostFocus = Command1.LostFocus = [this] {
    if (!Frame2.isVisible() || Frame2.isAncestorOf(QApplication::focusWidget())) return;
    Text18.setText(QString());
    Frame2.hide();
  };
  Command1.Click = [this] {
    Text18.setText(QString());
    Frame2.hide();
    reach(Text9);
    CodeListShared.JaCodeListMode = 0;
  };
}

void TEMP_LOG::Text9_Change() {
  // The D box follows a code of a number (through the draft, which knows whose code it is).
  if (LogWindowState.QslCheckMode != 1) return;
  QslCheck.SkipNewBandCheck = 0;
  bool skip = false;
  QslCheck.QslCheckCode = CodeAsSheetShows(Text9.text().trimmed(), skip);
  if (skip) {
    QslCheck.SkipNewBandCheck = 1;
    return;
  }
  if (CWSHEET* sheet = LoadedForm<CWSHEET>(); sheet && !QslCheck.QslCheckCode.isEmpty())
    if (const int32_t r = sheet->BringCodeRowUp(QslCheck.QslCheckCode)) QslCheck.SheetFoundRow = r;
  mirrorToQsoWindow(9, Text9.text());
}

void TEMP_LOG::findCallArea() {
  const CallArea a = CallAreaOf(Text1.text());
  CallAreaDigit = a.digit;
  CallAreaPos = a.pos;
}

void TEMP_LOG::Text9_KeyDown(int& keyCode) {
  CodeListShared.JaCodeListMode = 1;
  findCallArea();
  if (keyCode == vbKeyDown) {
    keyCode = 0;
    lookUpCode();
  } else if (keyCode >= vbKeyF1 + 4 && keyCode <= vbKeyF1 + 8) {
    const int32_t kind = keyCode - (vbKeyF1 + 4) + 4;
    keyCode = 0;
    openInitialPanel(kind);
  }
}

void TEMP_LOG::lookUpCode() {
  if (Text9.text().trimmed().size() < 4) return;
  HamlogCloseDb(0);
  const std::optional<CodeMasterHit> hit = LookUpCode(Text9.text());
  if (!hit) {
    const QString problem = CodeMasterProblem();
    MsgBox(problem.isEmpty() ? u8("このコードはマスタデータに存在しません")
                             : u8("コードを調べられません") + "\r\n" + problem);
    Text9.setFocus();
    Text9.SetSelStart(int(Text9.text().size()));
    return;
  }
  // Asked for by the operator: the master's code and name replace what the boxes hold.
  const Putting putting(*this, Put::Typed);
  Text9.setText(hit->code);
  Text13.setText(hit->name);
  Text10.setFocus();
}

void TEMP_LOG::openInitialPanel(int32_t kind) {
  static const char* const captions[] = {"ｴﾘｱの市名", "ｴﾘｱの郡名", "ｴﾘｱの区名", "ｴﾘｱの町名", "ｴﾘｱの村名"};
  UnloadForm<CODE_LIST>();
  InitialSearchKind = kind;
  Label16.setText(CallAreaDigit + u8(captions[kind - 4]));
  Frame2.show();
  Frame2.raise();
  Text18.setFocus();
}

void TEMP_LOG::Text18_KeyPress(int& k) {
  if (k != 13 && k != 27) return;
  const bool enter = k == 13;
  const QString letters = enter ? Text18.text() : QString();
  k = 0;
  if (enter && letters.isEmpty()) {
    Frame2.hide();
    return;
  }
  Text18.setText(QString());
  reach(Text9);
  Frame2.hide();
  if (letters.isEmpty()) return;
  searchByInitial(InitialSearchKey(InitialSearchKind, letters, CallAreaDigit, CallAreaPos));
}

void TEMP_LOG::searchByInitial(const QString& key) {
  HamlogCloseDb(0);
  const std::vector<CodeMasterHit> hits = SearchCodeByInitial(key, CallAreaPos > 0);
  if (hits.empty()) {
    MsgBox(u8("その頭文字は見つかりません。"));
    return;
  }
  const Putting putting(*this, Put::Typed);
  CodeListShared.JaCodeListMode = 1;
  UnloadForm<CODE_LIST>();
  CODE_LIST& list = Form<CODE_LIST>();
  list.SetWidth(5215);
  FlexGrid& g = list.MSFlexGrid1;
  g.SetFixedCols(1);
  g.SetWidth(5000);
  for (int c = 5; c <= 20 && c < g.Cols(); ++c) g.SetColWidth(c, 0);
  g.SetRows(1 + int(hits.size()));
  for (int i = 0; i < int(hits.size()); ++i) {
    if (i > 0) g.SetTextMatrix(i + 1, 0, QString::number(i + 1));
    g.SetTextMatrix(i + 1, 1, hits[i].code);
    g.SetTextMatrix(i + 1, 2, hits[i].name);
    g.SetTextMatrix(i + 1, 3, hits[i].idx);
    g.SetTextMatrix(i + 1, 4, hits[i].area);
  }
  Text9.setText(hits[0].code);
  Text13.setText(hits[0].name);
  // It takes the keyboard: Return, Esc and the arrows work it at once, and each way of closing it hands
  // the keyboard back to the code field.
  list.Show();
}
