#pragma once
// The main window's copy and export habits: Ctrl+C on a grid row, a tile or
// the order book copies the stock (a grid row as its cells, tab-separated);
// the right button on a row or a tile offers copy, the stock's replay, its
// charts and the export; Ctrl+S (or Ctrl+E) writes the grid of the screen
// shown to a CSV file in the data directory's "export" folder and says where.

#include <filesystem>
#include <string>

#include "platform/geometry.h"
#include "platform/message_window.h"

namespace velloran {

class CMainFrame;
class CQZView;
class CSessionData;
class Window;

class CFrameHabits {
 public:
  CFrameHabits(CSessionData& session, CMainFrame& frame);
  ~CFrameHabits();
  CFrameHabits(const CFrameHabits&) = delete;
  CFrameHabits& operator=(const CFrameHabits&) = delete;

  // The hooks that see the presses and keys addressed to the frame's windows.
  void Install();
  void Uninstall();

  // The grid of the screen shown as a CSV file; the notice says where it went
  // or why nothing was written. Empty when nothing was.
  std::filesystem::path ExportShownGrid();
  // The code and name of the stock the order book shows (the last pick).
  void CopyShownStock();

 private:
  // A right-button press: the menu when it went to a grid row or a tile.
  bool OnPress(const WindowHandle& target, const WindowMessage& m);
  void OnKey(const WindowHandle& target, const WindowMessage& m);
  // The stock of the tile or grid row under a press; item: the grid row.
  [[nodiscard]] std::u16string StockAt(Window& pressed, Point client, int& item) const;
  void Run(int command, const std::u16string& code, int item);
  void CopyStock(const std::u16string& code);
  void Pick(const std::u16string& code);
  [[nodiscard]] CQZView* WorkArea() const;

  CSessionData& session_;
  CMainFrame& frame_;
  int press_hook_ = 0;
  int message_hook_ = 0;
};

}  // namespace velloran
