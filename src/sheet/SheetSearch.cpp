#include "sheet/SheetSearch.h"

#include "platform/codepage.h"

SheetSearchState SheetSearch;

namespace {

const QString kNotFound = QStringLiteral("このコードは存在しません。");
const QString kNoMore = QStringLiteral("これ以上ありません");
const QString kGone = QStringLiteral("消滅しております。");

// Hiragana "あ" .. "ん" as signed Windows-31J character codes: the reading-index column is searched.
constexpr int kHiraganaFirst = -32096;
constexpr int kHiraganaLast = -32015;

int columnForJapanese(int firstCode) {
  return firstCode >= kHiraganaFirst && firstCode <= kHiraganaLast ? 3 : 2;
}

void land(SearchOutcome& out, const SearchRows& rows, const SearchView& view, int32_t r) {
  out.topRow = r;
  if (view.abolishedHidden && rows.Cell(r, 2).contains(u'*'))
    out.notice = rows.Cell(r, 1) + QStringLiteral(" は消滅です。");
}

// A DX row matches a prefix of one to three characters: the IDX column, or IDX followed by AREA when
// the box holds four characters.
bool dxMatches(const SearchRows& rows, int32_t r, const QString& prefix, int32_t length) {
  QString text = rows.Cell(r, 3);
  if (length >= 4) text += rows.Cell(r, 4);
  return text.left(length - 1) == prefix;
}

// A DX prefix found on row m: a visible row is landed on; a hidden one shows its entity's main row
// (the nearest row above whose code holds "A") with the hidden row's code, prefix and name in the panel.
// False when a hidden row has no main row above it.
bool showDxRow(SearchOutcome& out, const SearchRows& rows, const SearchView& view, int32_t m) {
  out.setPanel = true;
  if (!rows.Hidden(m)) {
    land(out, rows, view, m);
    return true;
  }
  for (int32_t a = m; a >= 1; --a) {
    if (!rows.Cell(a, 1).contains(u'A')) continue;
    out.topRow = a;
    out.label3 = rows.Cell(m, 1) + " " + rows.Cell(m, 3) + rows.Cell(m, 4);
    out.label6 = rows.Cell(m, 2);
    out.label4 = out.label6.contains(u'*') ? QStringLiteral("消滅！") : QStringLiteral("同一Ent.");
    return true;
  }
  out.setPanel = false;
  return false;
}

int32_t firstRowFrom(int32_t row) { return std::max<int32_t>(row, 1); }

}  // namespace

SearchOutcome SearchBoxChanged(const QString& boxText, const SearchRows& rows, const SearchView& view) {
  SheetSearchState& s = SheetSearch;
  SearchOutcome out;
  s.SearchStartRow = 1;
  QString t = boxText.trimmed();
  if (t.isEmpty()) return out;
  s.SearchLength = static_cast<int32_t>(t.size());
  const int c = AscAnsi(t);
  // With towns or villages hidden, a town or village code ending in a letter finds its gun's row.
  if (t.size() == 6 && !view.townsAndVillagesShown && AscAnsi(t.right(1)) > 64) {
    t = t.left(5);
    s.SearchLength = 5;
  }
  const int32_t last = rows.LastDataRow();
  if (c >= 0 && c <= 64) {
    if (s.SearchLength > 6) return out;
    s.SearchColumn = 1;
    if (s.SearchLength == 1) {
      if (!t[0].isDigit()) return out;  // a lone symbol has no value to search
      if (t[0].digitValue() >= 6) s.SearchStartRow = firstRowFrom(view.firstDxRow);
    }
    for (int32_t r = s.SearchStartRow; r <= last; ++r) {
      s.SearchRow = r;
      const QString code = rows.Cell(r, 1);
      const bool match =
          s.SearchLength == 5 ? QString(code).remove(u' ') == t : code.left(s.SearchLength) == t;
      if (match) {
        land(out, rows, view, r);
        out.lookUp = true;
        out.lookUpText = t;
        return out;
      }
    }
    out.notice = kNotFound;
  } else if (c == 68) {  // "D": a DX prefix
    s.SearchStartRow = firstRowFrom(view.firstDxRow);
    if (s.SearchLength < 2 || s.SearchLength > 4) return out;
    s.SearchColumn = 3;
    const QString prefix = t.mid(1);
    for (int32_t m = s.SearchStartRow; m <= last; ++m) {
      s.SearchRow = m;
      if (!dxMatches(rows, m, prefix, s.SearchLength)) continue;
      if (showDxRow(out, rows, view, m)) s.SearchStartRow = m + 1;
      out.lookUp = true;
      out.lookUpText = t;
      return out;
    }
    out.notice = kNotFound;
  } else if (c < 0) {  // kanji or kana: the QTH name or its reading index
    s.SearchColumn = columnForJapanese(c);
    for (int32_t r = s.SearchStartRow; r <= last; ++r) {
      s.SearchRow = r;
      if (!rows.Cell(r, s.SearchColumn).contains(t)) continue;
      if (rows.Hidden(r)) out.notice = kGone;
      land(out, rows, view, r);
      s.SearchStartRow = r + 1;
      out.lookUp = true;
      out.lookUpText = t;
      return out;
    }
    out.notice = kNotFound;
  }
  out.lookUp = true;
  out.lookUpText = t;
  return out;
}

SearchOutcome SearchStep(const QString& boxText, bool next, const SearchRows& rows, const SearchView& view) {
  SheetSearchState& s = SheetSearch;
  SearchOutcome out;
  if (boxText.isEmpty()) return out;
  const QString t = boxText.trimmed();
  if (t.isEmpty()) {
    out.notice = kNoMore;
    return out;
  }
  s.SearchLength = static_cast<int32_t>(t.size());
  const int c = AscAnsi(t);
  if (next) {
    if (s.SearchDirection == "Up") s.SearchStartRow += 2;
    s.SearchDirection = "Down";
  } else {
    if (s.SearchDirection == "Down") s.SearchStartRow -= 2;
    s.SearchDirection = "Up";
  }
  const bool dx = c == 68;
  if (dx && (s.SearchLength < 2 || s.SearchLength > 4)) return out;
  if (dx)
    s.SearchColumn = 3;
  else
    s.SearchColumn = c >= 0 ? 1 : columnForJapanese(c);
  const int32_t last = rows.LastDataRow();
  const int32_t step = next ? 1 : -1;
  for (int32_t r = next ? firstRowFrom(s.SearchStartRow) : s.SearchStartRow; next ? r <= last : r >= 1;
       r += step) {
    s.SearchRow = r;
    const bool match =
        dx ? dxMatches(rows, r, t.mid(1), s.SearchLength) : rows.Cell(r, s.SearchColumn).contains(t);
    if (!match) continue;
    if (dx) {
      showDxRow(out, rows, view, r);
    } else {
      if (rows.Hidden(r)) out.notice = kGone;
      land(out, rows, view, r);
    }
    s.SearchStartRow = r + step;
    return out;
  }
  out.notice = kNoMore;
  return out;
}

SearchOutcome SearchNextDxCandidate(const QString& boxText, const SearchRows& rows) {
  SheetSearchState& s = SheetSearch;
  SearchOutcome out;
  const QString t = boxText.trimmed();
  s.SearchStartRow = s.SearchRow + 1;
  for (int32_t r = firstRowFrom(s.SearchStartRow); r <= rows.LastDataRow(); ++r) {
    QString text = rows.Cell(r, s.SearchColumn);
    if (s.SearchLength >= 4) text += rows.Cell(r, 4);
    s.SearchRow = r;
    if (text.left(s.SearchLength - 1) != t.mid(1)) continue;
    out.topRow = r;
    return out;
  }
  s.SearchStartRow = 1;
  return out;
}
