#pragma once
// The DXCC prefix list "DX Code List": the hits of a prefix search in the DXCC entity table, one
// entity a row; a click hands the entity's HAMLOG code to the progress sheet's search box. Placed from
// [CFGPOS] CDLSTPOSTop / CDLSTPOSLeft, which it shares with the code list window.

#include <span>

#include "platform/ui/flexgrid.h"
#include "platform/ui/form.h"
#include "platform/ui/menu.h"

class newCODE_LIST : public VbForm {
 public:
  newCODE_LIST();
  void Form_Load() override;
  void Form_QueryUnload(int& cancel, int unloadMode) override;
  void Form_Resize() override;

  Menu CLSCD{this, "閉じる(&X)"};
  Menu sz{this, "+"};  // shows the text of the cell under the mouse
  FlexGrid MSFlexGrid1{this};

 private:
  QString CellUnderMouse() const;
};

// Lists the hits of the last prefix search (DxccTable) in the window and hands the first hit's code
// to the sheet; one hit goes to the sheet without the window, and none closes the window.
void ShowDXCCHits(int32_t hitCount);

// The window's placement rule, shared with the code list window: [CFGPOS] CDLSTPOSTop / CDLSTPOSLeft.
void PlaceCodeListWindow(VbForm& window);
void SaveCodeListPosition(const VbForm& window);
// A column of the list windows' grids; alignment -1 leaves the grid's own.
struct ListColumn {
  const char* header;  // UTF-8
  int width;           // twips
  int alignment;
};
// Widths, headings (row 0) and alignments of the first columns; the sum of their widths.
int LayOutListColumns(FlexGrid& grid, std::span<const ListColumn> columns);
// The list windows' grid fills the window: its width less `margin`, the inner height less 30 twips.
void FitListGrid(const VbForm& window, FlexGrid& grid, int margin);
