#pragma once
// The licence service played by a local server from recorded answers (tests/lookup/answers/),
// in a fresh program folder whose settings point the service's address at it.

#include <QFile>

#include "core/SettingsStore.h"
#include "platform/http.h"
#include "platform/profile.h"
#include "support/local_http_server.h"
#include "support/temp_home.h"

inline QByteArray Recorded(const QString& name) {
  QFile f(QStringLiteral(ORBEX_DATA_DIR "/../tests/lookup/answers/") + name);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("missing recorded answer");
}

struct RecordedService {
  // The program's own time-out: an answer is waited for however busy the machine is. A test of a server
  // that never answers shortens it.
  RecordedService() {
    WritePrivateProfileString("WEBHOST", "MUSEN", server.Base() + "/", IniFilePath());
    WritePrivateProfileString("WEBHOST", "JARL", server.Base(), IniFilePath());
  }
  ~RecordedService() { HttpSettings = {}; }
  void List(const QString& file) { server.Answer("/musen/list", LocalHttpServer::Xml(Recorded(file))); }
  // The search servlet: its page of links (pageID=3) and every detail page (pageID=4).
  void Pages(const QString& searchPage, const QString& detailPage) {
    server.Answer("/musen/SearchServlet?SC=1&pageID=3", LocalHttpServer::Html(Recorded(searchPage)));
    server.Answer("/musen/SearchServlet?pageID=4", LocalHttpServer::Html(Recorded(detailPage)));
  }

  TempHome home;
  LocalHttpServer server;
};
