#pragma once
// HAMLOG's code master beside HAMLOG.HDB as the code searches read it: its index files ("dx2" by code,
// "dx4" by kind, initial and area) and its records by number. The searches of the entry window's code
// field and the DX code search of a call.
//
//   CodeMasterIndex dx2("dx2");  int32_t n = dx2.Search(code, code.size());
//   const CodeMasterFile master;  if (master.Has(n)) master.Read(n).Name ...

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

#include "core/MasterList.h"
#include "platform/hamlog/hamlog.h"

// The file beside HAMLOG.HDB whose name ends in `suffix` instead of "HDB".
QString HamlogCompanionPath(const char* suffix);

// One index open at a time, closed on every path.
class CodeMasterIndex {
 public:
  explicit CodeMasterIndex(const char* suffix);
  ~CodeMasterIndex() { Close(); }
  CodeMasterIndex(const CodeMasterIndex&) = delete;
  CodeMasterIndex& operator=(const CodeMasterIndex&) = delete;
  bool IsOpen() const { return open_; }
  // The first record whose key begins with `key` (its first `length` characters; all when 0); 0 = none.
  int32_t Search(const QString& key, int32_t length = 0) { return open_ ? idx_search(handle_, key, length) : 0; }
  int32_t Next() { return open_ ? idx_next(handle_) : 0; }
  void Close();

 private:
  IndexHandle handle_{};
  bool open_ = false;
};

// The master read once; record n at the 1-based position MasterRecLen x n + MasterHeaderLen.
class CodeMasterFile {
 public:
  CodeMasterFile();
  bool Has(int32_t n) const;
  MasterRecord Read(int32_t n) const;

 private:
  qsizetype start(int32_t n) const;
  QByteArray bytes_;
};

// A code of the master as the entry window takes it: the code without trailing blanks, the name cut
// to 28 characters.
struct CodeMasterHit {
  QString code;
  QString name;
  QString idx;
  QString area;
};
CodeMasterHit HitOf(const MasterRecord& record);

// Why the code master beside HAMLOG.HDB cannot answer a search, in the operator's words: missing, cut
// short or damaged, or its code index cannot be made; "" when it can. A code a whole master lacks is
// not in it; a code a broken master lacks may well be.
QString CodeMasterProblem();

// The master's entry for a typed code (through "dx2"); nothing when the master has none. An index
// answer of 0 means "none", never master record 0.
std::optional<CodeMasterHit> LookUpCode(const QString& code);

// The initial-letter search key: the kind digit (4 city .. 8 village), the initial, and the call's
// area digit when the call has one (areaPos >= 1).
QString InitialSearchKey(int32_t kind, const QString& initial, const QString& areaDigit, int32_t areaPos);
// The master's entries under the key (through "dx4"): the first one found, then those that follow
// it in the index with the same kind, initial letter (and area, when the key has one). A kana initial
// finds the entries under its hiragana and its katakana alike ("ア", "ｱ" and "あ" the same).
std::vector<CodeMasterHit> SearchCodeByInitial(const QString& key, bool withArea);
