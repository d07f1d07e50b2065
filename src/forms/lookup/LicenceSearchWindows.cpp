#include "forms/lookup/LicenceSearchWindows.h"

#include "forms/lookup/ViewMenkyo.h"
#include "forms/sheet/CWSHEET.h"
#include "lookup/LicenceSearch.h"

namespace {

class SheetAndViewer : public LicenceSearchUi {
 public:
  void ShowBusy() override {
    if (CWSHEET* sheet = LoadedForm<CWSHEET>()) {
      sheet->Label2.setText(QStringLiteral(" 検索中です"));
      sheet->Frame1.setTitle(QStringLiteral("Busy"));
      sheet->Frame1.show();
      sheet->Frame1.raise();
    }
  }
  void HideBusy() override {
    if (CWSHEET* sheet = LoadedForm<CWSHEET>()) sheet->Frame1.hide();
  }
  InternetTransfer& HiddenViewerTransfer() override {
    ViewMenkyo& viewer = Form<ViewMenkyo>();
    viewer.Hide();
    return viewer.Inet1;
  }
  void ShowAnswer(const QString& call) override {
    Form<ViewMenkyo>().ShowLicenceAnswer(call);
    HideBusy();
  }
  void UnloadViewer() override { UnloadForm<ViewMenkyo>(); }
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
