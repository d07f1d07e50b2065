#pragma once
// The new-city record book "新市 整理簿": the list of ORBEX_整理簿.txt beside the progress sheet, with
// its filters (AREA), a search box in step with the sheet's own, a heading sort, the row editor, and the
// write-back of the list when the window closes.

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "awards/RecordBook.h"
#include "platform/ui/buttons.h"
#include "platform/ui/flexgrid.h"
#include "platform/ui/form.h"
#include "platform/ui/frame.h"
#include "platform/ui/label.h"
#include "platform/ui/menu.h"
#include "platform/ui/textbox.h"

class SeiriboSheet : public VbForm {
 public:
  SeiriboSheet();
  ~SeiriboSheet() override;
  void Form_Load() override;
  void Form_QueryUnload(int& cancel, int unloadMode) override;
  void Form_Unload(int& cancel) override;
  void Form_Resize() override;
  void Form_KeyDown(int& keyCode, int shift) override;

  // Shows and hides list rows by the selection (dateText: the month or day of ThisMonth).
  void ApplySeiriboFilter(const QString& dateText);
  // The list row picked for editing (0 = none).
  int32_t EditRow = 0;
  // Records loaded, plus the rows the editor added, less the ones it deleted.
  int32_t SeiriboCount = 0;
  // False when the book was not read whole: the list then never replaces it.
  bool BookLoadedWhole() const { return loadedWhole_; }
  // True when the list may be edited; else says why not.
  bool TakesEdits() const;

  Menu RTNMN{this, "閉じる(&X)"};
  Menu DAREA{this, "AREA"};
  Menu SALL{&DAREA, "ALL"};
  Menu LA1{&DAREA, "-"};
  Menu JA1{&DAREA, "１"};
  Menu SALL1{&JA1, "関東全て"};
  Menu JA1Sep{&JA1, "-"};
  Menu STK{&JA1, "10 東京都"}, SKN{&JA1, "11 神奈川県"}, SCB{&JA1, "12 千葉県"}, SST{&JA1, "13 埼玉県"},
      SIB{&JA1, "14 茨城県"}, STC{&JA1, "15 栃木県"}, SGM{&JA1, "16 群馬県"}, SYN{&JA1, "17 山梨県"};
  Menu JA2{&DAREA, "２"};
  Menu SALL2{&JA2, "中部全て"};
  Menu JA2Sep{&JA2, "-"};
  Menu SSO{&JA2, "18 静岡県"}, SGF{&JA2, "19 岐阜県"}, SAC{&JA2, "20 愛知県"}, SME{&JA2, "21 三重県"};
  Menu JA3{&DAREA, "３"};
  Menu SALL3{&JA3, "近畿全て"};
  Menu JA3Sep{&JA3, "-"};
  Menu SKT{&JA3, "22 京都府"}, SSI{&JA3, "23 滋賀県"}, SNR{&JA3, "24 奈良県"}, SOS{&JA3, "25 大阪府"},
      SWK{&JA3, "26 和歌山県"}, SHG{&JA3, "27 兵庫県"};
  Menu JA4{&DAREA, "４"};
  Menu SALL4{&JA4, "中国全て"};
  Menu JA4Sep{&JA4, "-"};
  Menu SOY{&JA4, "31 岡山県"}, SSN{&JA4, "32 島根県"}, SYG{&JA4, "33 山口県"}, STT{&JA4, "34 鳥取県"},
      SHS{&JA4, "35 広島県"};
  Menu JA5{&DAREA, "５"};
  Menu SALL5{&JA5, "四国全て"};
  Menu JA5Sep{&JA5, "-"};
  Menu SKK{&JA5, "36 香川県"}, STSM{&JA5, "37 徳島県"}, SEH{&JA5, "38 愛媛県"}, SKC{&JA5, "39 高知県"};
  Menu JA6{&DAREA, "６"};
  Menu SALL6{&JA6, "九州全て"};
  Menu JA6Sep{&JA6, "-"};
  Menu SFO{&JA6, "40 福岡県"}, SSG{&JA6, "41 佐賀県"}, SNS{&JA6, "42 長崎県"}, SKM{&JA6, "43 熊本県"},
      SOT{&JA6, "44 大分県"}, SMZ{&JA6, "45 宮崎県"}, SKG{&JA6, "46 鹿児島県"}, SON{&JA6, "47 沖縄県"};
  Menu JA7{&DAREA, "７"};
  Menu SALL7{&JA7, "東北全て"};
  Menu JA7Sep{&JA7, "-"};
  Menu SAM{&JA7, "02 青森県"}, SIT{&JA7, "03 岩手県"}, SAT{&JA7, "04 秋田県"}, SYM{&JA7, "05 山形県"},
      SMG{&JA7, "06 宮城県"}, SFS{&JA7, "07 福島県"};
  Menu JA8{&DAREA, "８"};
  Menu SALL8{&JA8, "北海道全て"};
  Menu JA9{&DAREA, "９"};
  Menu SALL9{&JA9, "北陸全て"};
  Menu JA9Sep{&JA9, "-"};
  Menu STY{&JA9, "28 富山県"}, SFI{&JA9, "29 福井県"}, SIK{&JA9, "30 石川県"};
  Menu JA0{&DAREA, "０"};
  Menu SALL0{&JA0, "信越全て"};
  Menu JA0Sep{&JA0, "-"};
  Menu SNI{&JA0, "08 新潟県"}, SNN{&JA0, "09 長野県"};
  Menu Line_kubun{&DAREA, "-"};
  Menu skokuji{&DAREA, "告示済み"};
  Menu sgiketu{&DAREA, "議決済み"};
  Menu skyougicyu{&DAREA, "協議中"};
  Menu sShometu{&DAREA, "消滅危惧"};
  Menu nc_line{&DAREA, "-"};
  Menu sNewCity{&DAREA, "既存新市(町)のみ"};
  Menu KongetuLine{&DAREA, "-"};
  Menu ThisMonth{&DAREA, "今月(今日)の注目"};
  Menu GunLine{&DAREA, "-"};
  Menu sNotChoSon{&DAREA, "町村は表示しない"};
  Menu ListEdit{this, "リスト編集(&E)"};
  Menu Gappei{this, "合併最新情報サイト(&V)"};
  Menu HELPMNU{this, "Ｈｅｌｐ"};
  Menu VERDISP{&HELPMNU, "バージョン"};
  Menu HELP{&HELPMNU, "Help"};

  Frame Frame2{this};
  Label Label1{&Frame2, "区分＞　告＝官報告示済　　　　　議＝関係市町村議決済　　法＝法廷合併協議中"};
  Label Label2{&Frame2, "           任＝任意合併協議中　　休＝休止中又は中断中　　報＝報道分"};
  Frame Frame5{this, "検索"};
  TextBox Text2{&Frame5};
  CommandButton Command1{&Frame5, "CLR"};
  FlexGrid MSFlexGrid2{this};

 private:
  void wireMenus();
  void LayoutList();
  void FillList(std::vector<RecordBookRow>&& rows);
  void selectArea(const QString& digit, const QString& prefecture = {}, const QStringList& prefixes = {});
  void selectPrefecture(const QString& name, const QStringList& prefixes);
  void selectOther(const QString& text, int32_t mode, const QString& dateText);
  // Runs the filter and shows "ALL" again.
  void filterAndOfferAll(const QString& dateText);
  void RestoreLoadOrder();
  void Text2_KeyPress(int& keyAscii);
  void Text2_Change();
  void Text2_KeyDown(int keyCode);
  void Command1_Click();
  void MSFlexGrid2_MouseDown(int button);
  void landOn(int32_t row);
  void SavePlace(bool withWidth);
  void ThisMonth_Click();
  void sNotChoSon_Click();
  void OpenEditor(bool fromRow);
  std::vector<std::array<QString, 6>> listLines();
  // Writes the list back over the book; false when the window is to stay open (the operator said so,
  // or the write failed and the changes would be lost).
  bool WriteBack();

  BookSelection selection_;
  int32_t sortToggle_ = 0;
  int32_t insertMode_ = 0;
  int32_t searchColumn_ = 1;
  int32_t nextStartRow_ = 1;
  QString lastDirection_;
  bool loadedWhole_ = false;
  std::optional<QByteArray> stamp_;                   // the book as it was read
  std::vector<std::array<QString, 6>> loadedLines_;   // the list as it was filled
};
