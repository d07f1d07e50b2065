#pragma once
// A HAMLOG folder in a temporary directory, filled through the library's own calls.

#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <utility>
#include <vector>

#include "platform/hamlog/hamlog.h"
#include "platform/hamlog/master_file.h"

struct TestQso {
  QString call, code = "1001", freq = "7.025", mode = "CW", date = "24/05/06", time = "21:05J", qsl = "J  ";
  QString name = {}, qth = {};
};

class HamlogFolder : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  QString Path(const QString& name) const { return dir_.filePath(name); }
  QString Db() const { return Path("HAMLOG.HDB"); }
  QString Base() const { return Path("HAMLOG"); }
  QString Index(const char* suffix) const { return Path(QString("HAMLOG.") + suffix); }

  void WriteMaster(const std::vector<hamlog::MasterEntry>& entries);
  // Opens, appends the QSOs (numbers 1..n after an empty start) and closes again.
  void AddQsos(const std::vector<TestQso>& qsos);
  // Appends one QSO to the open database as the entry window saves it.
  int32_t Append(const TestQso& q);
  int32_t Open();
  void Close();
  // Edits stored record recNo on the open database as the entry window saves it: the fields given
  // (field number, text) set on the record as read, written without a question.
  int32_t EditQso(int32_t recNo, const std::vector<std::pair<int, QString>>& fields);
  // A field of record recNo as ThwString gives it, trimmed (opens and closes when needed).
  QString Field(int32_t recNo, int field);
  // All record numbers of an index run for the key.
  std::vector<int32_t> Run(const char* suffix, const QString& key, int32_t length = 0);
  // All record numbers of the call-sign walk from `call` to the end.
  std::vector<int32_t> CallWalk(const QString& call);

  ThwRecord thw_{};
  IndexHandle handle_{};

 private:
  QTemporaryDir dir_;
};

void FillQso(ThwRecord& thw, const TestQso& q);
QByteArray ReadFile(const QString& path);
void WriteFile(const QString& path, const QByteArray& bytes);
