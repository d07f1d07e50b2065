#include "forms/awards/SeiriboSheet.h"

#include <algorithm>
#include <charconv>

#include "core/HamlogAccess.h"
#include "core/ProgramHelp.h"
#include "core/SettingsStore.h"
#include "core/SharedSettings.h"
#include "forms/awards/AwardWindows.h"
#include "forms/awards/Editor.h"
#include "forms/sheet/CWSHEET.h"
#include "outputs/Seiribo.h"
#include "platform/codepage.h"
#include "platform/paths.h"
#include "platform/ui/color.h"
#include "platform/ui/keys.h"
#include "platform/ui/msgbox.h"
#include "platform/ui/shell.h"
#include "platform/vbnumber.h"

namespace {

constexpr int kWidth = 10550;
constexpr int kDefaultHeight = 7905;
constexpr int kShownRow = 225;
constexpr int kAreaColumn = 7;
constexpr int32_t kPickedBack = VbRgb(255, 255, 192);
constexpr int32_t kPickedFore = VbRgb(255, 0, 0);

struct PrefectureCommand {
  Menu SeiriboSheet::*menu;
  const char* name;
  std::initializer_list<const char*> prefixes;
};

const PrefectureCommand kPrefectures[] = {
    {&SeiriboSheet::STK, "東京都", {"東京"}},
    {&SeiriboSheet::SKN, "神奈川県", {"神奈", "横浜", "川崎", "相模"}},
    {&SeiriboSheet::SCB, "千葉県", {"千葉"}},
    {&SeiriboSheet::SST, "埼玉県", {"埼玉", "さい"}},
    {&SeiriboSheet::SIB, "茨城県", {"茨城"}},
    {&SeiriboSheet::STC, "栃木県", {"栃木"}},
    {&SeiriboSheet::SGM, "群馬県", {"群馬"}},
    {&SeiriboSheet::SYN, "山梨県", {"山梨"}},
    {&SeiriboSheet::SSO, "静岡県", {"静岡", "浜松"}},
    {&SeiriboSheet::SGF, "岐阜県", {"岐阜"}},
    {&SeiriboSheet::SAC, "愛知県", {"愛知", "名古"}},
    {&SeiriboSheet::SME, "三重県", {"三重"}},
    {&SeiriboSheet::SKT, "京都府", {"京都"}},
    {&SeiriboSheet::SSI, "滋賀県", {"滋賀"}},
    {&SeiriboSheet::SNR, "奈良県", {"奈良"}},
    {&SeiriboSheet::SOS, "大阪府", {"大阪", "堺市"}},
    {&SeiriboSheet::SWK, "和歌山県", {"和歌"}},
    {&SeiriboSheet::SHG, "兵庫県", {"兵庫", "神戸"}},
    {&SeiriboSheet::SOY, "岡山県", {"岡山"}},
    {&SeiriboSheet::SSN, "島根県", {"島根"}},
    {&SeiriboSheet::SYG, "山口県", {"山口"}},
    {&SeiriboSheet::STT, "鳥取県", {"鳥取"}},
    {&SeiriboSheet::SHS, "広島県", {"広島"}},
    {&SeiriboSheet::SKK, "香川県", {"香川"}},
    {&SeiriboSheet::STSM, "徳島県", {"徳島"}},
    {&SeiriboSheet::SEH, "愛媛県", {"愛媛"}},
    {&SeiriboSheet::SKC, "高知県", {"高知"}},
    {&SeiriboSheet::SFO, "福岡県", {"福岡", "北九"}},
    {&SeiriboSheet::SSG, "佐賀県", {"佐賀"}},
    {&SeiriboSheet::SNS, "長崎県", {"長崎"}},
    {&SeiriboSheet::SKM, "熊本県", {"熊本"}},
    {&SeiriboSheet::SOT, "大分県", {"大分"}},
    {&SeiriboSheet::SMZ, "宮崎県", {"宮崎"}},
    {&SeiriboSheet::SKG, "鹿児島県", {"鹿児"}},
    {&SeiriboSheet::SON, "沖縄県", {"沖縄"}},
    {&SeiriboSheet::SAM, "青森県", {"青森"}},
    {&SeiriboSheet::SIT, "岩手県", {"岩手"}},
    {&SeiriboSheet::SAT, "秋田県", {"秋田"}},
    {&SeiriboSheet::SYM, "山形県", {"山形"}},
    {&SeiriboSheet::SMG, "宮城県", {"宮城", "仙台"}},
    {&SeiriboSheet::SFS, "福島県", {"福島"}},
    {&SeiriboSheet::STY, "富山県", {"富山"}},
    {&SeiriboSheet::SFI, "福井県", {"福井"}},
    {&SeiriboSheet::SIK, "石川県", {"石川"}},
    {&SeiriboSheet::SNI, "新潟県", {"新潟"}},
    {&SeiriboSheet::SNN, "長野県", {"長野"}},
};

QString bookPath() { return JoinPath(ProgramFolder(), QString::fromUtf8(kSeiriboFile)); }

bool isDoubleByte(const QString& s) { return !s.isEmpty() && AscAnsi(s) < 0; }

}  // namespace

SeiriboSheet::SeiriboSheet() {
  setWindowTitle(QStringLiteral("新市 整理簿"));
  Move(0, 0, kWidth, kDefaultHeight);
  Frame2.Move(120, 0, 7800, 700);
  Label1.Move(120, 160, 7600, 240);
  Label2.Move(120, 420, 7600, 240);
  Frame5.Move(8040, 0, 2300, 700);
  Text2.Move(120, 280, 1400, 300);
  Command1.Move(1600, 280, 600, 300);
  Text2.setToolTip(
      QStringLiteral("JCCGｺｰﾄﾞの数字又はQTHの漢字を入力します。先頭１文字目が D "
                     "の時はＤＸのﾌﾟﾘﾌｨｯｸｽを検索(ﾀﾞﾌﾞﾙｸﾘｯｸで次候補検索)"));
  MSFlexGrid2.Move(120, 800, kWidth - 300, kDefaultHeight - 1850);
  Text2.KeyPress = [this](int& k) { Text2_KeyPress(k); };
  Text2.Change = [this] { Text2_Change(); };
  Text2.KeyDown = [this](int& keyCode, int) { Text2_KeyDown(keyCode); };
  Command1.Click = [this] { Command1_Click(); };
  MSFlexGrid2.MouseDown = [this](int button, int, float, float) { MSFlexGrid2_MouseDown(button); };
  MSFlexGrid2.MouseWheel = [this](int delta, int shift) {
    ScrollGridOneStep(MSFlexGrid2, delta, (shift & vbShiftMask) != 0, true);
  };
  wireMenus();
}

SeiriboSheet::~SeiriboSheet() = default;

void SeiriboSheet::wireMenus() {
  RTNMN.Click = [this] {
    SavePlace(true);
    Unload();
  };
  Menu* areas[] = {&SALL0, &SALL1, &SALL2, &SALL3, &SALL4, &SALL5, &SALL6, &SALL7, &SALL8, &SALL9};
  for (int d = 0; d <= 9; ++d) {
    const QString digit = QString::number(d);
    if (d == 8)
      areas[d]->Click = [this] { selectArea("8", QStringLiteral("北海道"), {QStringLiteral("北海")}); };
    else
      areas[d]->Click = [this, digit] { selectArea(digit); };
  }
  for (const PrefectureCommand& p : kPrefectures) {
    QStringList prefixes;
    for (const char* x : p.prefixes) prefixes << QString::fromUtf8(x);
    const QString name = QString::fromUtf8(p.name);
    (this->*p.menu).Click = [this, name, prefixes] { selectPrefecture(name, prefixes); };
  }
  SALL.Click = [this] {
    selection_.area.clear();
    selection_.prefixes.clear();
    selection_.text.clear();
    selection_.mode = kBookAreaOrAll;
    ApplySeiriboFilter(QString());
    SALL.SetVisible(false);
    LA1.SetVisible(false);
  };
  skokuji.Click = [this] { selectOther(QStringLiteral("告"), kBookStatus, {}); };
  sgiketu.Click = [this] { selectOther(QStringLiteral("議"), kBookStatus, {}); };
  skyougicyu.Click = [this] { selectOther(QStringLiteral("法"), kBookStatus, {}); };
  sShometu.Click = [this] { selectOther(QStringLiteral("消"), kBookDisappearing, {}); };
  sNewCity.Click = [this] { selectOther(QString(), kBookNewCities, {}); };
  ThisMonth.Click = [this] { ThisMonth_Click(); };
  sNotChoSon.Click = [this] { sNotChoSon_Click(); };
  ListEdit.Click = [this] { OpenEditor(false); };
  Gappei.Click = [] { Hamlog.LastResult = ShellOpen(JoinPath(ProgramFolder(), QStringLiteral("合併情報.url"))); };
  VERDISP.Click = [] { MsgBox(VersionMessageText(), vbOKOnly); };
  HELP.Click = [] { OpenHelpPage(kHelpRecordBook); };
}

void SeiriboSheet::Form_Load() {
  KeyPreview = true;
  RecordBook.RecordEditorOpen = 0;
  selection_ = BookSelection{};
  sNotChoSon.SetChecked(false);
  QStringList unusable;
  MoveToStoredWindowPlace(*this, QStringLiteral("SBPOS"), unusable);
  Move(Left(), Top(), kWidth, ReadWindowTwips("ORBEXPOS", "SBPOSHeight", kDefaultHeight, WindowTwips::Height, unusable));
  ReportUnusableSettings(unusable);
  sortToggle_ = 0;
  insertMode_ = 0;
  nextStartRow_ = 1;
  lastDirection_.clear();
  RecordBook.RecordBookLinked = 1;
  SALL.SetVisible(false);
  LA1.SetVisible(false);
  LayoutList();
  RecordBookLoad load = LoadRecordBook(bookPath(), JoinPath(ProgramFolder(), kRecordBookWorkFile));
  loadedWhole_ = load.complete;
  stamp_ = std::move(load.stamp);
  loadedLines_ = std::move(load.lines);
  if (load.error.isEmpty()) FillList(std::move(load.rows));
  // A list that will not be written back takes no edits: they would be lost at the close.
  ListEdit.SetEnabled(loadedWhole_);
  if (CWSHEET* sheet = LoadedForm<CWSHEET>()) sheet->Frame1.hide();
  const QString notice = RecordBookLoadNotice(load);
  if (!notice.isEmpty()) MsgBox(notice, vbOKOnly);
}

void SeiriboSheet::LayoutList() {
  FlexGrid& g = MSFlexGrid2;
  g.SetRedraw(false);
  g.SetCols(8);
  g.SetRows(1);
  g.SetFixedCols(1);
  const char* headings[] = {"件数", "CODE", "QTH", "実施日", " ", "Rem", "区分", ""};
  const int widths[] = {0, 720, 3500, 1000, 600, 3500, 600, 0};
  const int aligns[] = {flexAlignLeftCenter, flexAlignLeftCenter, flexAlignLeftCenter, flexAlignLeftCenter,
                        flexAlignCenterCenter, flexAlignLeftCenter, flexAlignCenterCenter, flexAlignLeftCenter};
  for (int c = 0; c < 8; ++c) {
    g.SetTextMatrix(0, c, QString::fromUtf8(headings[c]));
    g.SetColWidth(c, widths[c]);
    g.SetColAlignment(c, aligns[c]);
  }
  g.SetRedraw(true);
}

void SeiriboSheet::FillList(std::vector<RecordBookRow>&& rows) {
  FlexGrid& g = MSFlexGrid2;
  g.SetRedraw(false);
  const int n = static_cast<int>(rows.size());
  // The cells in one go (with room for the heading row the grid keeps), the loaded texts moved in.
  std::vector<QString> cells;
  cells.reserve(size_t(n + 1) * 8);
  for (int r = 1; r <= n; ++r) {
    RecordBookRow& row = rows[size_t(r - 1)];
    // " 01", " 02", ...: the load order a heading sort goes back to.
    char number[16] = {' ', '0'};
    const char* end = std::to_chars(number + (r < 10 ? 2 : 1), number + sizeof number, r).ptr;
    cells.push_back(QString::fromLatin1(number, end - number));
    for (QString* cell : {&row.code, &row.qth, &row.date, &row.mark, &row.remark, &row.status, &row.area})
      cells.push_back(std::move(*cell));
  }
  g.SetRowTexts(1, std::move(cells));
  SeiriboCount = n;
  g.SetRow(0);
  g.SetCol(0);
  if (n > 0) g.SetTopRow(1);
  g.SetRedraw(true);
}

// ---- Filters

void SeiriboSheet::selectArea(const QString& digit, const QString& prefecture, const QStringList& prefixes) {
  selection_.area = digit;
  selection_.text = prefecture;
  selection_.prefixes = prefixes;
  selection_.mode = kBookAreaOrAll;
  filterAndOfferAll(QString());
}

void SeiriboSheet::selectPrefecture(const QString& name, const QStringList& prefixes) {
  selection_.area.clear();
  selection_.text = name;
  selection_.prefixes = prefixes;
  selection_.mode = kBookAreaOrAll;
  filterAndOfferAll(QString());
}

void SeiriboSheet::selectOther(const QString& text, int32_t mode, const QString& dateText) {
  selection_.area.clear();
  selection_.prefixes.clear();
  selection_.text = text;
  selection_.mode = mode;
  filterAndOfferAll(dateText);
}

void SeiriboSheet::filterAndOfferAll(const QString& dateText) {
  ApplySeiriboFilter(dateText);
  SALL.SetVisible(true);
  LA1.SetVisible(true);
}

void SeiriboSheet::ThisMonth_Click() {
  const QString prompt = QStringLiteral("指定した月（日）単位で合併状況を表示します") + "\r\n" +
                         QStringLiteral("200412 あるいは 20050210 の様に入力して下さい") + "\r\n" +
                         QStringLiteral("20050201- の様に特定日の末尾に - か + をつけると") + "\r\n" +
                         QStringLiteral("指定の前日(-)あるいは翌日(+)を含めた分を表示します");
  const QString answer = InputBox(prompt, QStringLiteral("ORBEX5 新市整理簿")).trimmed();
  selectOther(QString(), kBookDate, answer);
}

void SeiriboSheet::sNotChoSon_Click() {
  selection_.noTownsOrVillages = !selection_.noTownsOrVillages;
  sNotChoSon.SetChecked(selection_.noTownsOrVillages);
  filterAndOfferAll(QString());
}

void SeiriboSheet::RestoreLoadOrder() {
  FlexGrid& g = MSFlexGrid2;
  if (g.Rows() < 3) return;
  // Mostly the list is in load order already; one look saves the sort.
  bool inOrder = true;
  int previous = 0;
  for (int r = 1; r < g.Rows() && inOrder; ++r) {
    bool numbered = false;
    const int n = QStringView(g.gridModel().text(r, 0)).trimmed().toInt(&numbered);
    inOrder = numbered ? previous >= 0 && n >= previous : true;
    previous = numbered ? n : -1;
  }
  if (inOrder) return;
  // Rows the editor added carry no number: they keep their order after the loaded ones.
  g.Compare = [&g](int a, int b) {
    const QString x = g.TextMatrix(a, 0).trimmed(), y = g.TextMatrix(b, 0).trimmed();
    if (x.isEmpty() || y.isEmpty()) return int(x.isEmpty()) - int(y.isEmpty());
    const double d = VbVal(x) - VbVal(y);
    return d < 0 ? -1 : d > 0 ? 1 : 0;
  };
  g.SetRow(1);
  g.SetRowSel(1);
  g.SetCol(0);
  g.SetColSel(0);
  g.Sort(flexSortCustom);
}

void SeiriboSheet::ApplySeiriboFilter(const QString& dateText) {
  FlexGrid& g = MSFlexGrid2;
  const BookDayWindow day = BookDayWindowOf(dateText);
  g.SetRedraw(false);
  RestoreLoadOrder();
  // The cells are looked at where they are: nothing below changes a text.
  const FlexGridModel& cells = g.gridModel();
  QString addedArea;
  for (int r = 1; r < g.Rows(); ++r) {
    const QString& code = cells.text(r, 1);
    QStringView area = cells.text(r, kAreaColumn);
    // A row the editor added has no area yet: its code names it.
    if (area.isEmpty()) area = addedArea = BookAreaDigit(code.trimmed());
    const BookRowTexts row(code, cells.text(r, 2), cells.text(r, 3), cells.text(r, 4), cells.text(r, 6),
                           area);
    g.SetRowHeight(r, BookRowShown(row, selection_, dateText, day) ? kShownRow : 0);
  }
  if (g.Rows() > 1) g.SetTopRow(1);
  g.SetRedraw(true);
}

// ---- Search box

void SeiriboSheet::Form_KeyDown(int& keyCode, int /*shift*/) {
  if (keyCode == vbKeyInsert) insertMode_ = insertMode_ == 0 ? 1 : 0;
}

void SeiriboSheet::Text2_KeyPress(int& keyAscii) {
  if (keyAscii >= 'a' && keyAscii <= 'z') keyAscii -= 32;
  if (keyAscii == vbKeyBack || insertMode_ != 0) return;
  Text2.TypeOver();
}

void SeiriboSheet::landOn(int32_t row) {
  MSFlexGrid2.SetTopRow(row);
  MSFlexGrid2.SetRowSel(row);
}

void SeiriboSheet::Text2_Change() {
  const QString text = Text2.text();
  if (CWSHEET* sheet = LoadedForm<CWSHEET>()) sheet->Text2.setText(text);
  nextStartRow_ = 1;
  if (text.isEmpty()) return;
  const QString s = text.trimmed();
  if (s.isEmpty()) return;
  FlexGrid& g = MSFlexGrid2;
  const int first = AscAnsi(s);
  if (first >= 0 && first <= 64 && s.size() <= 6) {
    searchColumn_ = 1;
    for (int r = nextStartRow_; r < g.Rows(); ++r)
      if (g.TextMatrix(r, 1).startsWith(s)) {
        landOn(r);
        return;
      }
  } else if (first < 0) {
    searchColumn_ = 2;
    for (int r = nextStartRow_; r < g.Rows(); ++r)
      if (g.TextMatrix(r, 2).contains(s)) {
        landOn(r);
        nextStartRow_ = r + 1;
        return;
      }
  }
}

void SeiriboSheet::Text2_KeyDown(int keyCode) {
  const bool down = keyCode == vbKeyPageDown || keyCode == vbKeyDown;
  if (!down && keyCode != vbKeyPageUp && keyCode != vbKeyUp) return;
  if (Text2.text().isEmpty()) return;
  Text2.SetSelStart(Text2.text().size());
  const QString s = Text2.text().trimmed();
  if (s.startsWith(u'D') || s.isEmpty()) return;
  searchColumn_ = isDoubleByte(s) ? 2 : 1;
  FlexGrid& g = MSFlexGrid2;
  if (down) {
    if (lastDirection_ == u"Up") nextStartRow_ += 2;
    lastDirection_ = QStringLiteral("Down");
    for (int r = std::max(1, nextStartRow_); r < g.Rows(); ++r)
      if (g.TextMatrix(r, searchColumn_).contains(s)) {
        landOn(r);
        nextStartRow_ = r + 1;
        return;
      }
  } else {
    if (lastDirection_ == u"Down") nextStartRow_ -= 2;
    lastDirection_ = QStringLiteral("Up");
    for (int r = std::min(nextStartRow_, g.Rows() - 1); r >= 1; --r)
      if (g.TextMatrix(r, searchColumn_).contains(s)) {
        landOn(r);
        nextStartRow_ = r - 1;
        return;
      }
  }
}

void SeiriboSheet::Command1_Click() {
  Text2.setText(QString());
  SheetSearch.SearchStartRow = 1;
  if (MSFlexGrid2.Rows() > 1) landOn(1);
  Text2.setFocus();
}

// ---- The list under the mouse

void SeiriboSheet::MSFlexGrid2_MouseDown(int button) {
  if (RecordBook.RecordEditorOpen == 1) {
    if (Editor* e = LoadedForm<Editor>()) e->activateWindow();
    return;
  }
  FlexGrid& g = MSFlexGrid2;
  const int row = g.MouseRow(), col = g.MouseCol();
  if (row < 0 || col < 0) return;
  if (button == vbLeftButton && col < kAreaColumn) {
    if (row > 0) {
      if (CWSHEET* sheet = LoadedForm<CWSHEET>()) sheet->Text2.setText(g.TextMatrix(row, 1));
      return;
    }
    g.SetRedraw(false);
    sortToggle_ = sortToggle_ == 0 ? 1 : 0;
    const bool descending = sortToggle_ == 1;
    if (col == 1) {
      RestoreLoadOrder();
      if (descending) {
        g.Compare = [&g](int a, int b) {
          const double d = VbVal(g.TextMatrix(b, 0)) - VbVal(g.TextMatrix(a, 0));
          return d < 0 ? -1 : d > 0 ? 1 : 0;
        };
        g.Sort(flexSortCustom);
      }
    } else if (g.Rows() > 2) {
      g.SetRow(1);
      g.SetRowSel(1);
      g.SetCol(col);
      g.SetColSel(col);
      g.Sort(descending ? flexSortStringDescending : flexSortStringAscending);
    }
    g.SetRedraw(true);
    return;
  }
  // The heading row is no record: nothing to edit there.
  if (button == vbRightButton && row > 0 && col <= 6) {
    EditRow = row;
    g.SetCellBackColor(row, 1, kPickedBack);
    g.SetCellForeColor(row, 1, kPickedFore);
    OpenEditor(true);
  }
}

void SeiriboSheet::OpenEditor(bool fromRow) {
  if (!TakesEdits()) return;
  Editor& e = Form<Editor>();
  for (int i = 1; i <= 6; ++i) e.Text1[i].setText(fromRow ? MSFlexGrid2.TextMatrix(EditRow, i) : QString());
  e.Show();
}

// ---- Closing

void SeiriboSheet::SavePlace(bool withWidth) {
  WriteIni("ORBEXPOS", "SBPOSTop", QString::number(Top()));
  WriteIni("ORBEXPOS", "SBPOSLeft", QString::number(Left()));
  if (withWidth) WriteIni("ORBEXPOS", "SBPOSWidth", QString::number(Width()));
  WriteIni("ORBEXPOS", "SBPOSHeight", QString::number(Height()));
}

void SeiriboSheet::Form_QueryUnload(int& cancel, int unloadMode) {
  if (unloadMode == vbFormControlMenu) SavePlace(false);
  if (!WriteBack()) cancel = 1;  // the list stays open with the operator's changes
}

bool SeiriboSheet::TakesEdits() const {
  if (loadedWhole_) return true;
  MsgBox(QStringLiteral("この整理簿は正しく読み込めなかったため、閉じる時に書き戻しません。") + "\r\n" +
             QStringLiteral("変更が失われないよう、この一覧は編集できません。"),
         vbOKOnly | vbExclamation, QStringLiteral("整理簿整理"));
  return false;
}

void SeiriboSheet::Form_Resize() {
  const int w = Width() - 300, h = Height() - 1850;
  if (w < 0 || h < 0) {
    MSFlexGrid2.SetHeight(6015);
    return;
  }
  MSFlexGrid2.SetWidth(w);
  MSFlexGrid2.SetHeight(h);
}

void SeiriboSheet::Form_Unload(int& /*cancel*/) {
  UnloadForm<Editor>();
  RecordBook.RecordBookLinked = 0;
}

std::vector<std::array<QString, 6>> SeiriboSheet::listLines() {
  FlexGrid& g = MSFlexGrid2;
  std::vector<std::array<QString, 6>> lines;
  lines.reserve(size_t(std::max(0, g.Rows() - 1)));
  for (int r = 1; r < g.Rows(); ++r)
    lines.push_back({g.TextMatrix(r, 3), g.TextMatrix(r, 1), g.TextMatrix(r, 2), g.TextMatrix(r, 4),
                     g.TextMatrix(r, 5), g.TextMatrix(r, 6)});
  return lines;
}

bool SeiriboSheet::WriteBack() {
  if (!loadedWhole_) return true;  // told at the load: the book stays as it is
  const std::vector<std::array<QString, 6>> lines = listLines();
  const bool edited = lines != loadedLines_;
  const QString path = RealPath(bookPath());
  const QString title = QStringLiteral("整理簿整理");
  if (RecordBookStamp(bookPath()) != stamp_) {
    if (!edited) return true;  // nothing of this list to keep: the other program's book stays
    const int answer =
        MsgBox(path + QStringLiteral(" は、この一覧を開いた後で他のプログラムにより変更されています。") + "\r\n" +
                   QStringLiteral("この一覧で上書きすると、その変更は失われます（上書き前の整理簿は .bak に残ります）。") +
                   "\r\n\r\n" + QStringLiteral("はい: この一覧で上書きする") + "\r\n" +
                   QStringLiteral("いいえ: この一覧の変更を捨てて閉じる") + "\r\n" + QStringLiteral("キャンセル: 閉じない"),
               vbYesNoCancel | vbExclamation | vbDefaultButton3, title);
    if (answer == vbCancel) return false;
    if (answer == vbNo) return true;
  }
  QString error;
  if (WriteRecordBook(bookPath(), lines, error)) return true;
  if (!edited) {
    MsgBox(error + QStringLiteral("。") + "\r\n" + QStringLiteral("整理簿は元のままです。"), vbOKOnly | vbExclamation, title);
    return true;
  }
  return MsgBox(error + QStringLiteral("。") + "\r\n" +
                    QStringLiteral("整理簿は元のままで、変更はこの一覧に残っています。") + "\r\n" +
                    QStringLiteral("変更を捨てて閉じますか？"),
                vbYesNo | vbExclamation | vbDefaultButton2, title) == vbYes;
}
