#pragma once
// A program folder with the shipped seed files and a small HAMLOG folder beside it, the shared state
// reset, the clock fixed, and the start window unloaded after each test.

#include <gtest/gtest.h>

#include <QString>

#include "forms/startup/ORBTOP.h"
#include "support/temp_home.h"

class StartWindowTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // [ORB] MYCALL, HAMLOGexePOS and HAMLOGPOS of an operator whose set-up is complete.
  void setUpOperator();
  // That operator, without the tips, with the work file of a reading recorded as matching the log.
  void setUpPreviousReading();
  void set(const char* section, const char* key, const QString& value);
  QString stored(const char* section, const char* key) const;
  // Loads the start window (its start-up runs); null when the start-up ended the program.
  ORBTOP* load();

  TempHome home;
  QString hamlogDir;
  QString hdbPath;
};
