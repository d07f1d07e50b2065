#pragma once
// The QSO being typed in the entry window, box by box: each value with where it came from. The window
// tells it what the operator typed and what look-ups and other windows put in, shows what it holds,
// and a save stores what it gives.
//
//   QsoDraft d;
//   d.StartNew(defaults);                  // a new QSO; the station details of the last saved one come along
//   d.Type(QsoBox::Call, "JA1ABC/P");      // typed: they still belong to this station
//   d.LookUp(QsoBox::Name, "Taro");        // false when the operator typed a name: it stays
//   QsoEntry e = d.Entry();                // what a save stores
//   d.Saved(e);                            // the QSO as stored, which the next new QSO starts from

#include <QString>
#include <array>
#include <optional>

#include "logbook/QsoEntry.h"

enum class QsoBox {
  Call,
  Date,
  Time,
  HisRst,
  MyRst,
  Freq,
  Mode,
  Code,
  Grid,
  QslVia,
  QslSent,
  QslRcvd,
  Name,
  Qth,
  Remarks1,
  Remarks2,
  DFlag
};
inline constexpr int kQsoBoxCount = 17;

enum class Origin {
  Default,   // the window's own: today's date and time, the preset reports, the QSL mark, empty
  Carried,   // the station details of the last saved QSO, for its next QSO
  LookedUp,  // put in for this QSO by a look-up or another window
  Typed,     // typed, ticked or picked by the operator
  Stored,    // the stored QSO being edited
};

// The station a call names: the first of its parts between "/" that is a call itself ("JA1ABC/3/P",
// "KH6/JA1ABC" -> "JA1ABC"); the part before the first "/" when none is.
QString BaseCall(const QString& call);

class QsoDraft {
 public:
  // A new QSO of `defaults` (Default). The details of the last saved QSO (code, grid, name, QTH,
  // remarks 1, D) are carried: shown and stored while the call is that station's. With
  // `keepLookedUp`, what was put in for this QSO before it began stays, but for the call: the one of
  // `defaults` is where the QSO's call stands now.
  void StartNew(const QsoEntry& defaults, bool keepLookedUp = false);
  // A stored QSO being edited: its values stay until typed over or replaced by a look-up's finds.
  void EditStored(const QsoEntry& stored);
  // The QSO as HAMLOG now holds it: the one the next new QSO starts from. It is then being edited.
  void Saved(const QsoEntry& stored);
  // The saved QSO is gone from the log: nothing of it is carried any more.
  void ForgetSaved();

  void Type(QsoBox box, const QString& text);
  // A value found for this QSO. It fills a station's detail the operator has not typed; an empty one
  // takes out only what an earlier look-up put there. False when refused (the box keeps its value).
  bool LookUp(QsoBox box, const QString& text);
  // A find of a look-up the operator chose: it replaces what the box holds.
  void Choose(QsoBox box, const QString& text);
  // A look-up for `call` begins: what was looked up for another call goes.
  void LookUpFor(const QString& call);
  // The call is typed whole (the box left, looked up, saved): while it is still being typed, a call on
  // the way to the saved station keeps its details in sight.
  void CallDone();

  // What the box shows; a D box "1" ticked, "" not.
  QString Text(QsoBox box) const;
  // What a save stores: carried details only while the call has the saved QSO's base call.
  QsoEntry Entry() const;
  // A stored QSO (edited or just saved) whose boxes no longer hold it as stored: an edit not saved.
  bool Edited() const { return stored_ && Entry() != *stored_; }
  // The zone letter of the time, kept while the time box is typed over.
  QChar Zone() const { return zone_; }

 private:
  struct Cell {
    QString text;
    Origin origin = Origin::Default;
  };
  Cell& cell(QsoBox box) { return cells_[size_t(box)]; }
  const Cell& cell(QsoBox box) const { return cells_[size_t(box)]; }
  void put(QsoBox box, const QString& text, Origin origin);
  void followCode(const QString& code, Origin origin, bool overTyped);
  bool carriedStored() const;
  bool carriedShown() const;
  std::array<Cell, kQsoBoxCount> cells_{};
  std::optional<QsoEntry> saved_;
  std::optional<QsoEntry> stored_;  // the stored QSO shown, as stored
  QString lookedUpFor_;
  bool callDone_ = true;
  QChar zone_ = QLatin1Char('J');
};
