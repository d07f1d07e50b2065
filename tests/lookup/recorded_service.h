#pragma once
// The licence service played by a local server from recorded answers (answers/ beside this file),
// in a fresh program folder whose settings point the service's address at it.

#include <QFile>

#include "core/SettingsStore.h"
#include "platform/http.h"
#include "platform/profile.h"
#include "support/local_http_server.h"
#include "support/temp_home.h"

#define ORBEX_SOURCE_TESTS_LOOKUP ORBEX_DATA_DIR "/../tests/lookup"

inline QByteArray Recorded(const QString& name) {
  QFile f(QString(ORBEX_SOURCE_TESTS_LOOKUP) + "/answers/" + name);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("missing recorded answer");
}

struct RecordedService {
  RecordedService() {
    HttpSettings.TimeoutMs = 400;
    WritePrivateProfileString("WEBHOST", "MUSEN", server.Base() + "/", IniFilePath());
    WritePrivateProfileString("WEBHOST", "JARL", server.Base(), IniFilePath());
  }
  ~RecordedService() { HttpSettings = {}; }
  void List(const QString& file) { server.Answer("/musen/list", LocalHttpServer::Xml(Recorded(file))); }

  TempHome home;
  LocalHttpServer server;
};
