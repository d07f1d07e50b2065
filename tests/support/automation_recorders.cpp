#include "support/automation_recorders.h"

namespace {

QString Text(const QVariant& v) { return v.toString(); }

QString Args(const QVariantList& args) {
  QStringList parts;
  for (const QVariant& a : args) parts << Text(a);
  return parts.join(',');
}

class RecordingWorkbook : public Workbook {
 public:
  RecordingWorkbook(const QString& name, WorkbookRecorder& settings, std::shared_ptr<QStringList> calls,
                    std::shared_ptr<QMap<QString, QString>> cells, std::shared_ptr<int> published)
      : name_(name), s_(settings), calls_(calls), cells_(cells), published_(published) {}
  int Open() override {
    *calls_ << "Open " + name_;
    return s_.openResult;
  }
  int OpenExisting() override {
    *calls_ << "OpenExisting " + name_;
    return s_.openResult;
  }
  int Attach() override {
    *calls_ << "Attach";
    return s_.attachError;
  }
  void SelectSheet(const QString& name) override {
    *calls_ << "Sheet " + name;
    sheet_ = name;
  }
  int SelectSheetAt(int32_t index) override {
    *calls_ << QStringLiteral("SheetAt %1").arg(index);
    sheet_ = QStringLiteral("#%1").arg(index);
    return s_.sheetError;
  }
  void ClearSheet() override { *calls_ << "Clear " + sheet_; }
  using Workbook::SetCell;
  void SetCell(int32_t row, int32_t column, const QVariant& value) override {
    *calls_ << QStringLiteral("Cell %1,%2=%3").arg(row).arg(column).arg(Text(value));
    (*cells_)[QStringLiteral("%1!%2,%3").arg(sheet_).arg(row).arg(column)] = Text(value);
  }
  void SetScreenUpdating(bool on) override { *calls_ << QStringLiteral("ScreenUpdating %1").arg(on ? 1 : 0); }
  int Run(const QString& macro, const QVariantList& args, int32_t& result) override {
    *calls_ << "Run " + macro + "(" + Args(args) + ")";
    result = 0;
    return s_.runError;
  }
  void DefineMacro(const QString&, Macro) override {}
  bool Publish(QString& error) override {
    *calls_ << "Publish";
    if (!s_.publishOk) {
      error = QStringLiteral("書き込めませんでした");
      return false;
    }
    ++*published_;
    return true;
  }
  QString ErrorText() const override { return QString(); }

 private:
  QString name_, sheet_;
  WorkbookRecorder& s_;
  std::shared_ptr<QStringList> calls_;
  std::shared_ptr<QMap<QString, QString>> cells_;
  std::shared_ptr<int> published_;
};

class RecordingMmqsl : public Mmqsl {
 public:
  explicit RecordingMmqsl(MmqslRecorder& r) : r_(r) {}
  int OpenDoc(const QString& f) override { return call("OpenDoc " + f); }
  int DeleteLog() override { return call("DeleteLog"); }
  int AddLog(const QString& line) override { return call("AddLog " + line); }
  int SortLog97(int32_t order) override { return call(QStringLiteral("SortLog97 %1").arg(order)); }
  int SetPrintMax() override { return call("SetPrintMax"); }
  int SetEnableLogFile(int16_t v) override { return call(QStringLiteral("EnableLogFile=%1").arg(v)); }
  int SetDisableExit(int16_t v) override { return call(QStringLiteral("DisableExit=%1").arg(v)); }
  int Foreground() override { return call("Foreground"); }
  int SetPrintStat(int16_t v) override { return call(QStringLiteral("PrintStat=%1").arg(v)); }
  int GetPrintStat(int16_t& v) override {
    ++r_.statReads;
    v = r_.readsUntilPrinted > 0 && r_.statReads >= r_.readsUntilPrinted ? 2 : 1;
    return 0;
  }
  int DoPrint() override { return call("DoPrint"); }
  int GetPrintedPos(int16_t which, int16_t& pos) override {
    pos = r_.printedPos;
    return call(QStringLiteral("GetPrintedPos %1").arg(which));
  }
  ~RecordingMmqsl() override { r_.calls << "Release"; }

 private:
  int call(const QString& text) {
    r_.calls << text;
    return !r_.failingCall.isEmpty() && text.startsWith(r_.failingCall) ? 440 : 0;
  }
  MmqslRecorder& r_;
};

}  // namespace

WorkbookRecorder::WorkbookRecorder() {
  previous_ = SetWorkbookFactory([this](const QString& name) -> std::unique_ptr<Workbook> {
    return std::make_unique<RecordingWorkbook>(name, *this, calls_, cells_, published_);
  });
}

WorkbookRecorder::~WorkbookRecorder() { SetWorkbookFactory(std::move(previous_)); }

QString WorkbookRecorder::cell(int row, int column, const QString& sheet) const {
  return cells_->value(QStringLiteral("%1!%2,%3").arg(sheet).arg(row).arg(column));
}

MmqslRecorder::MmqslRecorder() {
  previous_ = SetMmqslFactory([this](QString&) -> std::unique_ptr<Mmqsl> {
    created = true;
    return std::make_unique<RecordingMmqsl>(*this);
  });
}

MmqslRecorder::~MmqslRecorder() { SetMmqslFactory(std::move(previous_)); }
