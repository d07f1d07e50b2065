#pragma once
// Frames (a captioned box that holds controls) and picture boxes.
//
//   Frame Frame5{this, "検索"};
//   TextBox Text2{&Frame5};               // a control inside the frame, placed in frame coordinates
//   Frame5.setEnabled(false);             // every control inside is inactive; each keeps its own state
//   Frame1.setTitle("Information !");  Frame1.show();  Frame1.raise();    // in front of the others
//
//   PictureBox Picture1{this};
//   Picture1.SetPicture(ClipboardBitmap());  Picture1.SavePicture(path);  // snapshot.h
//
// Declare a frame before the controls it holds (they need it when they are built). A frame never
// deletes a control that is a member of the window, even one moved into it later with setParent.
// A frame paints its own background, so nothing behind it shows through; one shown again after it was
// hidden comes in front of the controls beside it (a notice or a panel raised over the grid).

#include <QGroupBox>
#include <QImage>
#include <QLabel>

#include "platform/ui/control.h"

class Frame : public ClickControl<QGroupBox> {
 public:
  explicit Frame(QWidget* parent, const QString& caption = QString());
  ~Frame() override;
  void setVisible(bool visible) override;
};

class PictureBox : public ClickControl<QLabel> {
 public:
  explicit PictureBox(QWidget* parent);
  ~PictureBox() override;

  QImage Picture() const { return image_; }
  void SetPicture(const QImage& image);
  // Writes the picture as a Windows bitmap file. False when there is no picture or the file fails.
  bool SavePicture(const QString& path) const;

 private:
  QImage image_;
};
