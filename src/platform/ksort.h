#pragma once
// Our stand-in for the outside text-file sort library: sorts a text file in place by byte-column keys.
//
// The command text: "/k(col:len)(col:len)..." key pairs (1-based byte columns of each line's
// Windows-31J bytes, compared in order, ascending), options, then the file's path in single or
// double quotes (or bare, when it holds no blank), e.g.
//   "/k(6:2)(2:1)(8:4) 'C:\folder\DMYMST.dat' "
//   "/k(2:2)(1:1)(4:4)(8:4)(14:10) /e'/home/op/ORBEX5\DMYDBS.DAT' "
// The quoted path runs to the last quote of its kind, so it may hold that quote itself.
// Option "/e": empty lines are left out of the sorted file.
//
// The sort is stable and bytewise; a line shorter than a key compares as if padded with blanks
// (0x20), so "AB" sorts with "AB  ". Lines end where Line Input ends them (CR LF, a lone CR or a lone
// LF) and are all written back with CR LF (a last line without one gets it). The file
// is replaced atomically: on any failure it is untouched.

#include <QByteArrayView>
#include <QString>
#include <cstdint>
#include <vector>

inline constexpr int KsortDone = 0;
inline constexpr int KsortGaveUp = 2001;  // missing or unreadable file, unusable command, failed write
// Never answered by this stand-in (it does not run jobs side by side), but callers keep their retry
// loop on it, as with the library it replaces.
inline constexpr int KsortBusy = 7000;

// Sorts the file named in `spec`; `reply` gets a short text on what was done or why it gave up.
int ksort(const QString& spec, QString& reply);

// The order the keys of `keySpec` ("/k(col:len)...", no file) give lines already in memory, as ksort
// would sort them in a file: order[i] is the index of the line that goes i-th. False (why in `reply`)
// when the keys are unusable.
bool KsortOrder(const QString& keySpec, const std::vector<QByteArrayView>& lines, std::vector<uint32_t>& order,
                QString& reply);
