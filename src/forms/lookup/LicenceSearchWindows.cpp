#include "forms/lookup/LicenceSearchWindows.h"

#include <QPointer>
#include <functional>
#include <memory>

#include "forms/lookup/ViewMenkyo.h"
#include "forms/sheet/CWSHEET.h"
#include "lookup/LicenceSearch.h"
#include "platform/ui/doevents.h"

namespace {

class SheetAndViewer : public LicenceSearchUi {
 public:
  ~SheetAndViewer() override {
    if (viewer_) viewer_->Inet1.StateChanged = viewersOwn_;
  }
  // The search is a job of the sheet while its busy frame shows: the sheet's close box is refused
  // meanwhile, naming the frame's words.
  void ShowBusy() override {
    if (CWSHEET* sheet = LoadedForm<CWSHEET>()) {
      sheet->Label2.setText(QStringLiteral(" 検索中です"));
      sheet->Frame1.setTitle(QStringLiteral("Busy"));
      sheet->Frame1.show();
      sheet->Frame1.raise();
      if (!job_) job_ = std::make_unique<LongJobGuard>(*sheet);
    }
  }
  void HideBusy() override {
    job_.reset();
    if (CWSHEET* sheet = LoadedForm<CWSHEET>()) sheet->HideBusyFrame();
  }
  InternetTransfer& HiddenViewerTransfer() override {
    ViewMenkyo& viewer = Form<ViewMenkyo>();
    viewer.Hide();
    // The viewer's error box comes from inside the request: the busy picture goes before it.
    viewer_ = &viewer;
    viewersOwn_ = viewer.Inet1.StateChanged;
    viewer.Inet1.StateChanged = [this](int state) {
      if (state == icError) HideBusy();
      if (viewersOwn_) viewersOwn_(state);
    };
    return viewer.Inet1;
  }
  void ShowAnswer(const QString& call) override {
    Form<ViewMenkyo>().ShowLicenceAnswer(call);
    HideBusy();
  }
  void UnloadViewer() override { UnloadForm<ViewMenkyo>(); }

 private:
  QPointer<ViewMenkyo> viewer_;
  std::function<void(int)> viewersOwn_;
  std::unique_ptr<LongJobGuard> job_;
};

}  // namespace

void SearchLicence(QString& call) {
  // One search at a time: a second one would close the viewer the first is still filling.
  static bool searching = false;
  if (searching) return;
  searching = true;
  UnloadForm<ViewMenkyo>();
  SheetAndViewer ui;
  LicenceSearch(call, ui);
  searching = false;
}
