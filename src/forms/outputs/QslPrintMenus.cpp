#include "forms/outputs/QslPrintMenus.h"

#include <QPointer>
#include <QDir>

#include "core/SettingsStore.h"
#include "core/SharedSettings.h"
#include "logbook/QsoRow.h"
#include "platform/vbstrings.h"

bool ChooseMmqslLayoutFile(CommonDialog& d) {
  d.DialogTitle = QStringLiteral("MMQSL定義ﾌｧｲﾙを指定します");
  d.Filter = QStringLiteral("MMQSL定義ﾌｧｲﾙ(*.MQL)|*.mql");
  d.Flags = cdlOFNFileMustExist | cdlOFNHideReadOnly;
  const QString current = Settings.MmqslDefFile;
  const qsizetype slash = std::max(current.lastIndexOf('\\'), current.lastIndexOf('/'));
  d.InitDir = slash >= 0 ? current.left(slash) : QDir::rootPath();  // the root the program folder is on
  if (!d.ShowOpen()) return false;
  Settings.MmqslDefFile = d.FileName;
  WriteIni("ORB", "MMQSL", Settings.MmqslDefFile);
  return true;
}

namespace {

QString cell(const FlexGrid& g, int row, int column) { return RTrim(g.TextMatrix(row, column)); }

constexpr int kSentColumn = 14;

}  // namespace

QslCardQso QslCardOfGridRow(const FlexGrid& g, int row, int32_t recNo) {
  QslCardQso q;
  q.Call = cell(g, row, 1);
  q.Date = cell(g, row, 3);
  q.Time = cell(g, row, 4);
  q.HisRst = cell(g, row, 5);
  q.Freq = cell(g, row, 7);
  q.Mode = cell(g, row, 8);
  q.Name = cell(g, row, 11);
  q.Qth = cell(g, row, 12);
  q.Via = cell(g, row, 13);
  q.Sent = cell(g, row, kSentColumn);
  q.Received = cell(g, row, 15);
  q.Remarks1 = cell(g, row, 16);
  q.Remarks2 = cell(g, row, 17);
  q.RecNo = recNo;
  return q;
}

bool PrintQslOfPickedRow(FlexGrid& g, int recNoColumn, int32_t recNo) {
  int row = 1;
  while (row < g.Rows() && RecordNumberOf(g.TextMatrix(row, recNoColumn)) != recNo) ++row;
  // Printing another row's cells under the picked number would mark a QSO whose card never came out.
  if (row >= g.Rows()) return true;
  const QPointer<FlexGrid> grid(&g);
  const QslPrintResult result = PrintQslCard(QslCardOfGridRow(g, row, recNo));
  // The print's waits and boxes ran events: the window of the grid may be gone.
  if (grid && result == QslPrintResult::MarkedSent) g.SetTextMatrix(row, kSentColumn, Settings.QslSendMark);
  return result != QslPrintResult::Failed;
}
