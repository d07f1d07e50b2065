#include "awards/MemberCheck.h"

#include <algorithm>
#include <bit>
#include <ranges>

#include "awards/LocatorTables.h"
#include "core/HamlogAccess.h"
#include "core/QsoColumns.h"
#include "core/QsoFields.h"
#include "core/QsoRules.h"
#include "core/SettingsStore.h"
#include "core/SharedSettings.h"
#include "platform/codepage.h"
#include "platform/cores.h"
#include "platform/hamlog/hamlog.h"
#include "platform/ui/flexgrid.h"
#include "platform/vbdate.h"
#include "platform/vbfile.h"

namespace {

constexpr int kFirstBandColumn = 7;
constexpr qsizetype kMemberCallChars = 6;
constexpr int32_t kAccFirstDate = 19791101;

// The lines of a file as Line Input reads them (CR LF, CR or LF); false (why in `error`) when it cannot
// be read.
bool readLines(const QString& path, QStringList& lines, QString* error) {
  VbFile in(path, VbMode::Input);
  if (!in.IsOpen()) {
    *error = FileFaultText(in.Path(), QStringLiteral(" を読めません"), in.ErrorNumber());
    return false;
  }
  QString line;
  while (in.LineInput(line)) lines.push_back(line);
  return true;
}

bool looksLikeCall(const QString& call) {
  bool letter = false, digit = false;
  for (QChar c : call) {
    if (c >= u'A' && c <= u'Z')
      letter = true;
    else if (c >= u'0' && c <= u'9')
      digit = true;
    else if (c != u'/')
      return false;
  }
  return letter && digit;
}

QString noNul(QString text) {
  if (text.contains(QChar(0))) text.remove(QChar(0));
  return text;
}

// The member sheet's column of a band label ("1.9" .. "SAT", blanks around it ignored), as the award
// sheets lay their band columns out; 0 for none.
int columnOfLabel(const QString& label, bool extended) {
  const int slot = GridBandSlot(label.trimmed(), extended);
  return slot < 0 ? 0 : kFirstBandColumn + slot;
}

// MemberBaseCall of an ASCII call's bytes, blanks trimmed.
QByteArrayView memberBaseBytes(QByteArrayView call) {
  qsizetype slash = call.size() - 1;
  while (slash >= 0 && call[slash] != '/') --slash;
  QByteArrayView base = call;
  if (slash >= 0) {
    const QByteArrayView left = call.first(slash), right = call.sliced(slash + 1);
    base = right.size() > left.size() ? right : left;
  }
  const auto blank = [](char c) { return c == ' ' || (c >= 9 && c <= 13); };
  while (!base.isEmpty() && blank(base.front())) base = base.sliced(1);
  while (!base.isEmpty() && blank(base.back())) base.chop(1);
  return base;
}

// The class letters' bits of a band cell: "CPSRF" upper case in `upper`, lower case in `lower`.
uint8_t classBit(QChar letter) {
  switch (letter.unicode()) {
    case u'C': return 1;
    case u'P': return 2;
    case u'S': return 4;
    case u'R': return 8;
    case u'F': return 16;
    default: return 0;
  }
}

// "yyyy/MM/dd" of a day the copy holds (years 1 .. 9999).
QByteArray dateBytes(int32_t yyyymmdd) {
  char text[10];
  int32_t rest = yyyymmdd;
  for (int i : {9, 8, 6, 5, 3, 2, 1, 0}) {
    text[i] = char('0' + rest % 10);
    rest /= 10;
  }
  text[4] = text[7] = '/';
  return QByteArray(text, 10);
}

bool isReceivedMark(const QString& mark) {
  for (const QString& m : Settings.QslReceivedMarks)
    if (!m.isEmpty() && m == mark) return true;
  return false;
}

}  // namespace

// ---- The member list file

QString MemberTagOfHeader(const QString& header) {
  const QString upper = header.toUpper();
  if (upper.contains("ACC MEMBER")) return "ACC#";
  if (upper.contains("JAG MEMBER")) return "JAG#";
  return {};
}

MemberListLoad ReadMemberList(const QString& path, const QString& previousTag) {
  MemberListLoad load;
  QStringList lines;
  if (!readLines(path, lines, &load.error)) {
    load.outcome = MemberListLoad::Unreadable;
    return load;
  }
  load.encoding = FileForeignEncoding(path);
  load.tag = lines.isEmpty() ? previousTag : MemberTagOfHeader(lines.first());
  if (load.tag.isEmpty()) return load;
  if (lines.isEmpty()) lines.push_back(QString());
  int32_t number = 0;
  for (const QString& line : lines) {
    ++number;
    ++load.lineCount;
    if (load.lineCount <= 2) continue;
    MemberRow m;
    m.call = line.mid(1, kMemberCallChars).trimmed().toUpper();
    const qsizetype tagAt = line.toUpper().lastIndexOf(load.tag);
    m.number = (tagAt >= 0 ? line.mid(tagAt + load.tag.size(), 4) : line.mid(3, 4)).trimmed();
    // Column headings and rules are no members; a call listed twice is (a re-issued call keeps both
    // numbers and both earn their points).
    if (line.size() < 2 || !looksLikeCall(m.call)) {
      --load.lineCount;
      // The code page's decoder leaves U+FFFD or SUB where bytes are no Windows-31J.
      const bool unreadable = line.contains(QChar::ReplacementCharacter) || line.contains(QChar(0x1A));
      QList<int32_t>& why = line.trimmed().isEmpty() ? load.blankLines
                            : unreadable             ? load.unreadableLines
                                                     : load.noCallLines;
      why << number;
      continue;
    }
    load.members.push_back(m);
  }
  load.outcome = load.lineCount == 1 ? MemberListLoad::SingleLine : MemberListLoad::Loaded;
  return load;
}

QString MemberListSkipNotice(const MemberListLoad& load) {
  const auto numbers = [](const QList<int32_t>& lines) {
    constexpr qsizetype kShown = 10;
    QStringList n;
    for (qsizetype i = 0; i < std::min(lines.size(), kShown); ++i) n << QString::number(lines[i]);
    return n.join(u',') + (lines.size() > kShown ? QStringLiteral(",…") : QString());
  };
  const std::pair<const QList<int32_t>*, QString> reasons[] = {
      {&load.noCallLines, QStringLiteral("コールサインのない行")},
      {&load.unreadableLines, QStringLiteral("読めない文字のある行")},
      {&load.blankLines, QStringLiteral("空行")}};
  QStringList parts;
  qsizetype total = 0;
  for (const auto& [lines, why] : reasons) {
    if (lines->isEmpty()) continue;
    total += lines->size();
    parts << QStringLiteral("%1 %2 行（%3 行目）").arg(why).arg(lines->size()).arg(numbers(*lines));
  }
  if (total == 0) return {};
  return QStringLiteral("メンバーリストの %1 行を読み飛ばしました。").arg(total) + QStringLiteral("\r\n") +
         parts.join(QStringLiteral("\r\n"));
}

// ---- The search

QString MemberBaseCall(const QString& call) {
  const qsizetype p = call.lastIndexOf('/');
  if (p < 0) return call;
  const QString left = call.left(p);
  const QString right = call.mid(p + 1);
  return right.size() > left.size() ? right : left;
}

QString ModeClassLetter(const ModeClassLists& lists, const QString& mode) {
  const std::pair<const QString*, const char*> classes[] = {{&lists.PhoneModes, "P"},
                                                            {&lists.CwModes, "C"},
                                                            {&lists.SstvModes, "S"},
                                                            {&lists.RttyModes, "R"},
                                                            {&lists.FaxModes, "F"}};
  for (const auto& [list, letter] : classes)
    if (list->contains(mode, Qt::CaseSensitive) && !list->isEmpty()) return letter;
  return "N";
}

int MemberBandColumn(const QString& freq, bool extended) {
  return columnOfLabel(PaddedBandLabel(BandIndexOf(noNul(freq).trimmed()), extended), extended);
}

MemberQsoFinder::~MemberQsoFinder() {
  if (indexOpen_) idx_close(index_);
}

void MemberQsoFinder::Prepare(int32_t recordCount, const QsoColumnCopy* copy) {
  prefixed_.clear();
  owned_.clear();
  const auto view = [](QByteArrayView bytes) { return std::string_view(bytes.data(), size_t(bytes.size())); };
  const auto own = [this, &view](QByteArray bytes) { return view(owned_.emplace_back(std::move(bytes))); };
  copy_ = copy && copy->Count() >= recordCount ? copy : nullptr;
  if (indexOpen_) idx_close(index_);
  // The index holds no deleted record, and its keys are the calls as stored: a run of keys that begin
  // with the base call is the run the log's call-sign order gives.
  indexOpen_ = copy_ && idx_open(Hamlog.HamlogDbPath.left(Hamlog.HamlogDbPath.size() - 3) + "dxc", index_) == 0;
  if (copy_) {
    // The slashed calls are looked at side by side; the few outside their base call's run are kept, in
    // the log's order.
    const std::vector<int32_t>& slashed = copy_->SlashedCalls();
    const size_t end =
        size_t(std::upper_bound(slashed.begin(), slashed.end(), recordCount) - slashed.begin());
    const size_t parts = end < 256 ? 1 : size_t(UsableCores());
    std::vector<std::vector<int32_t>> kept(parts);
    RunParts(parts, [&](size_t part) {
      const size_t from = end * part / parts, to = end * (part + 1) / parts;
      for (size_t i = from; i < to; ++i) {
        copy_->PrefetchAhead(slashed, i);
        const int32_t n = slashed[i];
        const QsoColumnRecord& q = (*copy_)[n];
        if (!q.Live()) continue;
        if (q.Plain()) {
          const QByteArrayView stored = copy_->Call(n), storedBase = memberBaseBytes(stored);
          if (storedBase.isEmpty() || stored.startsWith(storedBase)) continue;  // most "<call>/<suffix>"
        }
        kept[part].push_back(n);
      }
    });
    for (const int32_t n : std::views::join(kept)) {
      const QsoColumnRecord& q = (*copy_)[n];
      std::string_view call, base;
      if (q.Plain()) {
        const QByteArrayView stored = copy_->Call(n);
        call = view(stored);
        base = view(memberBaseBytes(stored));
      } else {
        const QString text = copy_->Texts(n).call;
        call = own(ToAnsi(text));
        base = own(ToAnsi(MemberBaseCall(text).trimmed()));
      }
      if (base.empty() || call.starts_with(base)) continue;  // in the run of its base call
      prefixed_[base].push_back({call, n});
    }
  } else {
    QString call;
    for (int32_t n = 1; n <= recordCount; ++n) {
      if (THW_read(Hamlog.Thw, n, 3) != 0 || ThwString(call, Hamlog.Thw, 0) != 0) continue;
      if (!call.contains('/')) continue;
      const QString base = MemberBaseCall(noNul(call).trimmed()).trimmed();
      if (base.isEmpty() || call.startsWith(base)) continue;  // in the run of its base call
      prefixed_[own(ToAnsi(base))].push_back({own(ToAnsi(call)), n});
    }
  }
  for (auto& [base, list] : prefixed_)
    std::sort(list.begin(), list.end(), [](const Slashed& a, const Slashed& b) {
      return a.key != b.key ? a.key < b.key : a.rec < b.rec;
    });
}

std::vector<int32_t> MemberQsoFinder::Records(const QString& callBase) const {
  std::vector<int32_t> records;
  const QByteArray key = ToAnsi(callBase);
  if (indexOpen_) {
    for (int32_t r = idx_search(index_, callBase, 0); r > 0; r = idx_next(index_)) records.push_back(r);
    if (records.empty()) return records;
  } else {
    const int32_t first = Vidx_search(Hamlog.Thw, callBase, 16);
    if (first <= 0) return records;
    records.push_back(first);
    QString call;
    for (int32_t r = Vidx_next(Hamlog.Thw, 16); r > 0; r = Vidx_next(Hamlog.Thw, 16)) {
      // A record that cannot be read is examined (and counted) by the check; the run goes on.
      if (THW_read(Hamlog.Thw, r, 3) == 0 && ThwString(call, Hamlog.Thw, 0) == 0 && !call.startsWith(callBase))
        break;
      records.push_back(r);
    }
  }
  // "<prefix>/<call>" records that sort before the call are never reached in call-sign order.
  const std::string_view k(key.constData(), size_t(key.size()));
  const auto it = prefixed_.find(k);
  if (it != prefixed_.end()) {
    for (const Slashed& s : it->second)
      if (s.key > k) records.push_back(s.rec);
  }
  return records;
}

// ---- The check

MemberCheck::MemberCheck(FlexGrid& grid, const MemberCheckSetup& setup, VbFile& memberList, VbFile* amaList,
                         const QsoColumnCopy* copy)
    : grid_(grid),
      setup_(setup),
      memberList_(memberList),
      amaList_(amaList),
      copy_(copy),
      japanesePrefixes_(JapanesePrefixes.split(',')) {
  for (const QString& m : Settings.QslReceivedMarks)
    if (m.size() == 1 && m.at(0).unicode() < 128) received_[m.at(0).unicode()] = true;
  for (size_t band = 0; band < std::size(columnOfBand_); ++band)
    columnOfBand_[band] =
        columnOfLabel(PaddedBandLabel(int(band), setup_.extendedBandSet), setup_.extendedBandSet);
}

void MemberCheck::RowCells::Set(int cell, const QString& value) {
  upper[cell] = lower[cell] = 0;
  if (!held[cell]) return;  // a column the grid does not have keeps no text
  text[cell] = value;
  changed[cell] = true;
  for (QChar c : value) {
    upper[cell] |= classBit(c);
    lower[cell] |= classBit(c.toUpper()) & (c.isLower() ? 0xff : 0);
  }
}

bool MemberCheck::CheckMember(int row, const MemberRecordSource& source) {
  const QString call = grid_.TextMatrix(row, 2).trimmed().toUpper();
  number_ = ToAnsi(grid_.TextMatrix(row, 1));
  const int lastCell = LastBandColumn() - kFirstBandColumn;
  for (int i = 0; i <= lastCell; ++i) {
    cells_.held[i] = kFirstBandColumn + i < grid_.Cols();
    cells_.Set(i, grid_.TextMatrix(row, kFirstBandColumn + i));
    cells_.changed[i] = false;
  }
  if (!call.isEmpty()) {
    SplitCallSign(call);
    const QString callBase = QsoRules.CallBase;
    callBase_ = ToAnsi(callBase);
    bool listed = false;
    const std::vector<int32_t> records = source(callBase);
    if (copy_) copy_->Prefetch(records);
    for (size_t i = 0; i < records.size(); ++i) {
      if (copy_) copy_->PrefetchAhead(records, i);
      examine(records[i], i == 0, row, callBase, listed);
    }
  }
  int marks = 0;
  for (int i = 0; i <= lastCell; ++i) {
    if (cells_.changed[i]) grid_.SetTextMatrix(row, kFirstBandColumn + i, cells_.text[i]);
    marks += std::popcount(cells_.upper[i]);
  }
  if (setup_.tag != "ACC#") return true;
  bool number = false;
  int32_t points = grid_.TextMatrix(row, 1).trimmed().toInt(&number) * marks;
  if (!number) return false;
  if (!japanesePrefixes_.contains(call.left(2))) points *= 10;
  grid_.SetTextMatrix(row, PointColumn(), QString::number(points));
  SheetTotal += points;
  return true;
}

void MemberCheck::examine(int32_t rec, bool firstHit, int row, const QString& callBase, bool& listed) {
  if (copy_ && examineInCopy(rec, firstHit, row, listed)) return;
  ClearQsoFieldBuffers();
  if (THW_read(Hamlog.Thw, rec, 3) != 0) {
    ++Unreadable;
    return;
  }
  for (int f : {0, 2, 6, 7, 8, 10})
    if (ThwString(fields_[f], Hamlog.Thw, f) != 0) {
      ++Unreadable;
      return;
    }
  const QString qsl = noNul(fields_[10]);
  const bool qualifies = setup_.worked || isReceivedMark(qsl.right(1));
  Line line;
  const QString logged = noNul(fields_[0]).trimmed();
  if (MemberBaseCall(logged).trimmed() != callBase) return;
  line.call = ToAnsi(logged);
  if (firstHit) grid_.SetTopRow(row);

  const std::optional<QDate> date = VbDateValue(fields_[2]);
  if (!date) return;  // no date: not a QSO to count
  if (setup_.tag == "ACC#" && date->toString("yyyyMMdd").toInt() < kAccFirstDate) return;

  const QString mode = noNul(fields_[7]).trimmed();
  line.mode = ToAnsi(mode);
  line.code = ToAnsi(noNul(fields_[8]).trimmed());
  Qso.QsoRecNo = rec;
  Qso.QsoFreq = noNul(fields_[6]).trimmed();
  const int band = BandIndexOf(Qso.QsoFreq);
  Qso.QsoBand = PaddedBandLabel(band, setup_.extendedBandSet);
  if (Qso.QsoBand.at(0) == u' ') freqErrors_ << FreqErrorLine(rec, Qso.QsoFreq);
  line.date = ToAnsi(date->toString("yyyy/MM/dd"));
  line.band = ToAnsi(Qso.QsoBand);
  line.number = number_;
  settle(
      row, firstHit, qualifies, [&line] { return line; }, ModeClassLetter(setup_.modes, mode),
      columnOfBand_[band], listed);
}

bool MemberCheck::examineInCopy(int32_t rec, bool firstHit, int row, bool& listed) {
  if (rec < 1 || rec > copy_->Count()) return false;
  const QsoColumnRecord& q = (*copy_)[rec];
  // Deleted records, texts outside ASCII and dates that are no day: as the log gives them.
  if (!q.Plain() || q.date == 0) return false;
  char mark = 0;  // the QSL field's last character, NULs left out
  for (int i = 2; i >= 0 && mark == 0; --i) mark = q.qsl[i];
  const bool qualifies = setup_.worked || (mark > 0 && received_[int(mark)]);
  const QByteArrayView call = copy_->Call(rec);
  if (memberBaseBytes(call) != QByteArrayView(callBase_)) return true;
  if (firstHit) grid_.SetTopRow(row);
  if (setup_.tag == u"ACC#" && q.date < kAccFirstDate) return true;

  const FreqFacts& f = freqFacts(rec);
  if (!f.banded) freqErrors_ << FreqErrorLine(rec, f.freq);
  if (letters_.empty()) {
    for (const QString& mode : copy_->Modes()) {
      letters_.push_back(ModeClassLetter(setup_.modes, mode));
      modeBytes_.push_back(ToAnsi(mode));
    }
  }
  // A mode past the numbered ones (more than the number holds) is kept as text.
  const bool numbered = q.mode < letters_.size();
  const QString oddMode = numbered ? QString() : copy_->Mode(rec);
  const auto line = [&] {
    Line l;
    l.call = call.toByteArray();
    l.mode = numbered ? modeBytes_[q.mode] : ToAnsi(oddMode);
    l.code = q.Code().toByteArray();
    l.date = dateBytes(q.date);
    l.band = bandBytes(f.band);
    l.number = number_;
    return l;
  };
  settle(row, firstHit, qualifies, line, numbered ? letters_[q.mode] : ModeClassLetter(setup_.modes, oddMode),
         f.col, listed);
  return true;
}

const MemberCheck::FreqFacts& MemberCheck::freqFacts(int32_t rec) {
  const QsoColumnRecord& q = (*copy_)[rec];
  if (q.freqShape != 0) {
    // Digits with at most one ".": the copy's band.
    FreqFacts& f = digitFacts_;
    // The labels are shared: most QSOs take the label already held, with no string copied.
    const QString& label = PaddedBandLabel(q.band, setup_.extendedBandSet);
    if (!f.band.isSharedWith(label)) f.band = label;
    f.banded = f.band.at(0) != u' ';
    if (!f.banded) f.freq = copy_->Freq(rec);
    f.col = columnOfBand_[q.band];
    return f;
  }
  const QString text = copy_->Freq(rec);
  auto it = oddFreqs_.find(text);
  if (it == oddFreqs_.end()) {
    FreqFacts f;
    f.freq = noNul(text).trimmed();
    const int band = BandIndexOf(f.freq);
    f.band = PaddedBandLabel(band, setup_.extendedBandSet);
    f.banded = f.band.at(0) != u' ';
    f.col = columnOfBand_[band];
    it = oddFreqs_.insert(text, f);
  }
  return *it;
}

const QByteArray& MemberCheck::bandBytes(const QString& band) {
  auto it = bandBytes_.find(band);
  if (it == bandBytes_.end()) it = bandBytes_.insert(band, ToAnsi(band));
  return *it;
}

void MemberCheck::Finish() {
  AppendFreqErrorReport(freqErrors_);
  freqErrors_.clear();
}

void MemberCheck::settle(int row, bool firstHit, bool qualifies, const LineMaker& line, const QString& letter,
                         int col, bool& listed) {
  if (qualifies && !listed) {
    print(&memberList_, line());
    listed = true;
    ++ListedCount;
  }
  if (letter == u"N") return;
  if (firstHit) {
    if (col > 0) {
      cells_.Set(col - kFirstBandColumn, qualifies ? letter : workedMark(letter));
      ++(qualifies ? CfmMarkCount : WkdMarkCount);
    }
    if (qualifies) print(amaList_, line());
    return;
  }
  if (col > 0) FormatModeMarks(letter, row, col, qualifies, line);
}

void MemberCheck::FormatModeMarks(const QString& letter, int, int col, bool qualifies, const LineMaker& line) {
  const int i = col - kFirstBandColumn;
  const uint8_t bit = classBit(letter.at(0));
  if (cells_.upper[i] & bit) return;
  if (!cells_.held[i]) {
    // A column the grid does not have: every QSO finds it empty.
    ++(qualifies ? CfmMarkCount : WkdMarkCount);
    if (qualifies) print(amaList_, line());
    return;
  }
  if ((cells_.lower[i] & bit) && !qualifies) return;
  QString cell = cells_.text[i];
  if (cells_.lower[i] & bit) {
    cell.replace(workedMark(letter), letter);
    ++CfmMarkCount;
    --WkdMarkCount;
    print(amaList_, line());
  } else if (qualifies) {
    cell += letter;
    ++CfmMarkCount;
    print(amaList_, line());
  } else {
    cell += workedMark(letter);
    ++WkdMarkCount;
  }
  cells_.Set(i, cell);
}

const QString& MemberCheck::workedMark(const QString& letter) {
  for (const auto& [known, mark] : workedMarks_)
    if (known == letter) return mark;
  return workedMarks_.emplace_back(letter, "(" + letter.toLower() + ")").second;
}

void MemberCheck::print(VbFile* file, const Line& l) {
  if (!file || !file->IsOpen()) return;
  file->Print({l.code, PrintZone, l.call, PrintZone, l.date, PrintZone, l.band, PrintZone, l.mode, PrintZone,
               l.number});
}
