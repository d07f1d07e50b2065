#pragma once
// The status bar of a window, with numbered panels (from 1) that show text and can be clicked.
//
//   StatusBar StatusBar1{this, 5};                    // five panels
//   StatusBar1.SetPanelWidth(1, 2400);                // twips; the last panel takes the rest
//   StatusBar1.SetPanelText(3, "7.025");  StatusBar1.PanelText(3);
//   StatusBar1.PanelClick = [this](int panel) { ... };
//   StatusBar1.MouseUp = [this](int button) { ... };

#include <QLabel>
#include <QObject>
#include <QPointer>
#include <QStatusBar>
#include <QString>
#include <functional>
#include <vector>

class QMainWindow;

class StatusBar : public QObject {
 public:
  StatusBar(QMainWindow* window, int panels);
  std::function<void(int panel)> PanelClick;
  // Any mouse button released over the bar (1 left, 2 right, 4 middle).
  std::function<void(int button)> MouseUp;

  int PanelCount() const { return static_cast<int>(panels_.size()); }
  QString PanelText(int panel) const;
  void SetPanelText(int panel, const QString& text);
  // A passing note (a wait) for `panel`, shown at once on one line over the whole bar, in front of the
  // panels and of a ShowAcross note (the window's whole width for it: cut at its end, whole in its tool
  // tip, only when the window is too narrow); "" ends it. PanelText gives the whole note meanwhile.
  void ShowNote(int panel, const QString& text);
  // A note over the whole bar, on one line, until ShowAcross("") ends it: the panels under it keep
  // taking their texts and show them again after it. Cut at the bar's end only when the window is too
  // narrow for it, with the whole text as its tool tip.
  void ShowAcross(const QString& text);
  QString AcrossText() const { return acrossText_; }
  void SetPanelWidth(int panel, int twips);
  void SetVisible(bool on);
  QStatusBar* widget() const { return bar_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QLabel* Panel(int panel) const;
  QPointer<QStatusBar> bar_;
  std::vector<QPointer<QLabel>> panels_;
  // A label over the whole bar (ShowAcross's, ShowNote's).
  QLabel* overLabel();
  void placeAcross();
  bool noting_ = false;
  int notePanel_ = 0;
  QString note_;
  QPointer<QLabel> noteLabel_;
  QPointer<QLabel> across_;
  QString acrossText_;
};
