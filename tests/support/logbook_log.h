#pragma once
// A HAMLOG folder for the QSO lists: a code master written entry by entry (longitudes included) and
// QSOs imported the way the hamlogdb tool imports them.

#include <gtest/gtest.h>

#include <QString>
#include <QStringList>
#include <vector>

#include "platform/hamlog/master_file.h"
#include "platform/ui/responders.h"
#include "support/temp_home.h"

// call, date, time, frequency, mode, code, QSL (via, sent, received), name: one QSO.
struct LogQso {
  LogQso(QString call_, QString code_ = "1001", QString freq_ = "7.025", QString mode_ = "CW",
         QString qsl_ = "J  ", QString name_ = {})
      : call(call_), code(code_), freq(freq_), mode(mode_), qsl(qsl_), name(name_) {}
  QString call, code, freq, mode, qsl, name, date = "2024/05/06", time = "21:05J";
};

class LogbookTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Replaces the code master (the default one: a few cities, a gun with a town and a village, DX).
  void WriteMaster(const std::vector<hamlog::MasterEntry>& entries);
  void AddQsos(const std::vector<LogQso>& qsos);
  // Record recNo with one field changed (as another program may leave it); HAMLOG closed afterwards.
  void ChangeStoredField(int32_t recNo, int32_t field, const QString& text);
  // Record recNo marked deleted as another program marks it (a dBase program's DELETE, its pack to come).
  void MarkDeletedAsAnotherProgram(int32_t recNo);
  // Every record as the hamlogdb tool dumps it, one line each.
  QStringList Dump();

  TempHome home;
  QString dir;
  MsgBoxResponder boxes;
};

// Column texts of rows: the record number and call of each ("12 JA1ABC").
QStringList NumbersAndCalls(const std::vector<QStringList>& rows);
