#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include "platform/ui/form.h"
#include "platform/ui/frame.h"
#include "platform/ui/responders.h"
#include "platform/ui/snapshot.h"
#include "ui_test.h"

namespace {

// A window whose own Alt+P saves the clipboard's picture, as the award windows do.
class Book : public VbForm {
 public:
  Book() {
    KeyPreview = true;
    resize(320, 200);
  }
  void Form_KeyDown(int& code, int shift) override {
    if (code == vbKeyP && shift == vbAltMask) {
      Picture1.SetPicture(ClipboardBitmap());
      saved = Picture1.SavePicture(path);
      if (saved) ClearClipboard();
    }
  }
  PictureBox Picture1{this};
  QString path;
  bool saved = false;
};

TEST(Snapshot, KeyStrokesAreTwoOrFourEventsInOrder) {
  KeyStrokeRecorder keys;
  SendKeyStroke(vbKeyMenu, vbKeySnapshot);
  SendKeyStroke(vbKeyReturn);
  const std::vector<KeyStrokeEvent> expected{{18, true},  {44, true}, {44, false},
                                             {18, false}, {13, true}, {13, false}};
  EXPECT_EQ(keys.events(), expected);
}

TEST(Snapshot, AltPrintScreenThenAltPSavesTheWindowAsABitmap) {
  QTemporaryDir dir;
  Book& book = Form<Book>();
  book.path = dir.filePath("ORBEX_BOOKdat.bmp");
  book.Show();
  book.activateWindow();
  QApplication::setActiveWindow(&book);
  ClearClipboard();
  SendKeyStroke(vbKeyMenu, vbKeyP);  // nothing on the clipboard yet: no file
  EXPECT_FALSE(book.saved);
  SendKeyStroke(vbKeyMenu, vbKeySnapshot);
  EXPECT_TRUE(ClipboardHasBitmap());
  SendKeyStroke(vbKeyMenu, vbKeyP);
  EXPECT_TRUE(book.saved);
  EXPECT_FALSE(ClipboardHasBitmap());
  QFile f(book.path);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(f.read(2), QByteArray("BM"));
  EXPECT_EQ(QImage(book.path).size(), book.grab().size());
  UnloadForm<Book>();
  FlushDeletes();
}

TEST(Snapshot, WindowsToFilesAndTextToTheClipboard) {
  QTemporaryDir dir;
  Book& book = Form<Book>();
  EXPECT_TRUE(SaveWindowBitmap(book, dir.filePath("ORBEX_LOG.bmp")));
  EXPECT_FALSE(QImage(dir.filePath("ORBEX_LOG.bmp")).isNull());
  ClearClipboard();
  EXPECT_FALSE(SaveClipboardBitmap(dir.filePath("none.bmp")));
  EXPECT_FALSE(QFile::exists(dir.filePath("none.bmp")));
  SetClipboardText(QString::fromUtf8("札幌市"));
  EXPECT_EQ(ClipboardText(), QString::fromUtf8("札幌市"));
  UnloadForm<Book>();
  FlushDeletes();
}

}  // namespace
