#pragma once
// The run of HAMLOG records the entry window hands to an electronic-QSL service: the two marks that
// fix it, and the export of the run (or of the one QSO shown) into an eQSL or QSOBank file.
//
//   panel = SetEqslStartMark(shownRecNo);                     // "e-QSL No=120"
//   panel = SetEqslEndMark(shownRecNo);                       // "e-QSL No=100 to 120"
//   EqslExportResult r = ExportEqslRecords(EqslFormat::EqslAdif, path, shownQso);
//   if (!r.ok) ... r.failure; r.skipped lists records that are no longer in the log

#include <QString>
#include <cstdint>
#include <vector>

#include "logbook/EqslFiles.h"

struct EqslState {
  int32_t EqslStartMark = 0;  // 0 = not set
  int32_t EqslEndMark = 0;
  int32_t EqslCurrentRecNo = 0;  // the record being read, kept for the error message
  QString EqslFolder;            // [E-QSL] eQSLFOL as last chosen
  QString QsoBankFolder;         // [E-QSL] eQSLQFOL as last chosen
};
extern EqslState Eqsl;

// The marks as a new QSO or a fresh entry window leaves them.
void ClearEqslMarks();
// Each returns the status-panel text.
QString SetEqslStartMark(int32_t shownRecNo);
QString SetEqslEndMark(int32_t shownRecNo);
// A reversed pair is swapped; a missing end takes the start.
void NormaliseEqslMarks();

struct EqslExportResult : EqslWriteResult {
  std::vector<int32_t> skipped;  // records of the run that are deleted or no longer in the log
  int32_t withEqslMark = 0;      // records of the run left out for their eQSL mark
};

// Records EqslStartMark..EqslEndMark of HAMLOG (opened and closed here), leaving out those whose QSL
// via mark is the setting's eQSL_Mark; without a start mark the `shown` QSO alone, once HAMLOG holds
// its record (both marks then take its record number). The QSL message comes from the settings.
// Nothing is written when a record cannot be read for another reason than being gone, or cannot be
// converted, nor when no QSO is left, a QSO never saved included (`nothing`, with the reason in
// `failure`).
EqslExportResult ExportEqslRecords(EqslFormat format, const QString& path, const EqslQso& shown,
                                   int32_t shownRecNo);

// The QSOs of HAMLOG records first..last (HAMLOG open), as ExportEqslRecords reads them.
EqslExportResult ReadEqslRecords(int32_t first, int32_t last, const QString& skipMark, std::vector<EqslQso>& qsos);
