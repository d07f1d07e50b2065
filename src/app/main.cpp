#include <QApplication>
#include <QLabel>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("ORBEX5");
  QLabel placeholder("ORBEX5");
  placeholder.show();
  return app.exec();
}
