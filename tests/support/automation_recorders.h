#pragma once
// Recording stand-ins for the automation servers: what the outputs asked of a workbook or of MMQSL,
// in order, with the answers a test sets.
//
//   WorkbookRecorder excel;  excel.attachError = 424;
//   ... output ...
//   excel.calls()   // {"Open ORB_SHEET.XLS", "Attach", "Sheet ", "Run Main(10,0)", "Cell 4,1=1002", ...}
//
//   MmqslRecorder mmqsl;  mmqsl.printedPos = 0;  mmqsl.readsUntilPrinted = 2;
//   ... print ...
//   mmqsl.calls     // {"OpenDoc C:/a.MQL", "DeleteLog", "AddLog 25.01.01,0830,...", ...}

#include <QMap>
#include <QString>
#include <QStringList>
#include <memory>

#include "platform/automation/automation.h"

class WorkbookRecorder {
 public:
  WorkbookRecorder();
  ~WorkbookRecorder();
  WorkbookRecorder(const WorkbookRecorder&) = delete;
  WorkbookRecorder& operator=(const WorkbookRecorder&) = delete;

  int openResult = 42;
  int attachError = 0;
  int sheetError = 0;  // what SelectSheetAt answers
  int runError = 0;
  bool publishOk = true;

  const QStringList& calls() const { return *calls_; }
  // The cells written, "sheet!row,column" -> text ("" sheet = the first, "#2" the second by place).
  const QMap<QString, QString>& cells() const { return *cells_; }
  QString cell(int row, int column, const QString& sheet = QString()) const;
  int published() const { return *published_; }

 private:
  std::shared_ptr<QStringList> calls_ = std::make_shared<QStringList>();
  std::shared_ptr<QMap<QString, QString>> cells_ = std::make_shared<QMap<QString, QString>>();
  std::shared_ptr<int> published_ = std::make_shared<int>(0);
  WorkbookFactory previous_;
};

class MmqslRecorder {
 public:
  MmqslRecorder();
  ~MmqslRecorder();
  MmqslRecorder(const MmqslRecorder&) = delete;
  MmqslRecorder& operator=(const MmqslRecorder&) = delete;

  int16_t printedPos = 0;        // what GetPrintedPos answers
  int readsUntilPrinted = 1;     // PrintStat reads 2 from this read on; 0 = never
  QString failingCall;           // this call answers an error (e.g. "DoPrint")
  bool created = false;

  QStringList calls;
  int statReads = 0;

 private:
  MmqslFactory previous_;
};
