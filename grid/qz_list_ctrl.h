#pragma once
// CQZListCtrl, the screening grid: one row per screening record of the shown
// list, every cell painted from the record (numbers, sign colours, the 임박
// and 역상 badges), a column set per list whose widths and order the user
// changes and the grid keeps in the list's layout file, a three-state sort
// per column, and the stock of a chosen row announced to the top bar (2026).
//
// A row holds only its stock code. Painting and sorting look the records up
// under the store's reader, once per paint or sort, so a row never points at
// a record the dispatcher may have dropped.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/session_data.h"
#include "grid/grid_cells.h"
#include "grid/grid_columns.h"
#include "grid/qz_header_ctrl.h"
#include "platform/list_ctrl.h"

namespace velloran {

class CQZListCtrl : public ListCtrl {
 public:
  static constexpr int kInstance = 0;  // the one grid; first number of the file name
  static constexpr int kSaveTimer = 10203;
  static constexpr int kSaveDelayMs = 1000;
  static constexpr int kReorderTimer = 10204;
  static constexpr int kReorderDelayMs = 100;
  static constexpr Color kRowBackground = Rgb(255, 255, 255);
  static constexpr Color kHighlightBackground = Rgb(253, 239, 243);
  static constexpr Color kSortedBackground = Rgb(250, 250, 250);
  static constexpr int kImageStrip = 340;  // 14 images of kImageWidth, white transparent
  static constexpr int kImageWidth = 30;
  static constexpr int kRowHeight = 18;

  CQZListCtrl();
  ~CQZListCtrl() override;

  [[nodiscard]] bool Create(Window* parent, int id, const Rect& rect);
  // Where 2026 goes when the user chooses a row.
  void SetTopBar(WindowHandle top_bar) { top_bar_ = std::move(top_bar); }

  // A screening result of `screen` arrived (or the user switched to it):
  // empties the rows and makes one row per record. A switch first saves the
  // layout of the list shown and loads that of `screen`; for the list already
  // shown, the layout, the selected stock, the sort and the scroll position stay.
  void Refresh(CSessionData& session, int screen);
  // The records are about to be dropped: no rows from here on.
  void Clear();
  // A live quote of the stock: repaints its row when it is in view.
  void RedrawRecord(std::u16string_view code);
  // What the grid says in its rows' place while it has no row.
  void SetEmptyText(std::u16string text);
  [[nodiscard]] const std::u16string& empty_text() const { return empty_text_; }

  // The column set of a list: the layout file's descriptors, or the
  // defaults when it has none (or cannot be read).
  void LoadColumns(int list_id);
  // Writes the layout file of the shown list when it changed since it was
  // read or written; nothing for list 0, without a data directory, or when
  // the file cannot be written.
  void SaveColumns();
  void BuildColumns();

  // A click on a column header: not sorted -> ascending -> descending ->
  // not sorted (rows stay where they are).
  void ClickColumn(int column);

  [[nodiscard]] int list_id() const { return list_id_; }
  [[nodiscard]] int sort_column() const { return sort_column_; }
  [[nodiscard]] int sort_direction() const { return sort_direction_; }
  [[nodiscard]] const ColumnDescriptors& descriptors() const { return descriptors_; }
  [[nodiscard]] GridCell CellOfColumn(int column) const;
  // The stock code of a row; empty for no row.
  [[nodiscard]] std::u16string_view RowCode(int item) const;
  // The row of the stock when it is in view (a stock has one row), else -1.
  [[nodiscard]] int RowInView(std::u16string_view code) const;
  // Told the code of every row as it is painted (a benchmark's measure of
  // how soon a quote reaches the screen); none by default.
  void SetRowPainted(std::function<void(std::u16string_view code)> painted) {
    row_painted_ = std::move(painted);
  }
  [[nodiscard]] std::filesystem::path LayoutPath(int list_id) const;
  [[nodiscard]] CQZHeaderCtrl& grid_header();

 protected:
  std::unique_ptr<HeaderCtrl> MakeHeader() override;
  void DrawItem(DrawContext& dc, const ListItemPaint& row) override;
  void OnPaint(DrawContext& dc) override;
  void OnLButtonDown(Point p, WParam flags) override;
  void OnKeyDown(WParam key) override;
  void OnTimer(int id) override;
  void OnDestroy() override;
  bool OnNotify(int id, int code) override;

 private:
  void FillRows();
  void ApplySort();
  // Posts 2026 for the row's stock when its record is valid (strict: its
  // flag is 1; else not 0) and the stock master knows it.
  void Announce(int item, bool strict);
  void DrawBadge(DrawContext& dc, int image, const Rect& cell, Color background);
  const Bitmap& Badge(int image, Color background);

  CSessionData* session_ = nullptr;
  std::filesystem::path data_dir_;
  WindowHandle top_bar_;
  int list_id_ = 0;
  ColumnDescriptors descriptors_;
  std::vector<GridCell> cells_;  // by column index
  // The file read held what a save would lose (see StoredLayout).
  bool keep_original_ = false;
  // What the layout file holds, as read or last written: a save of the same
  // lines writes nothing.
  std::vector<std::u16string> saved_lines_;
  bool save_pending_ = false;
  // Each row's data points at its code here; replaced only while there are no rows.
  std::vector<std::u16string> codes_;
  int sort_column_ = -1;
  int sort_direction_ = 0;                 // 1 ascending, -1 descending, 0 none
  const StoreData* paint_data_ = nullptr;  // during OnPaint, under the reader
  CellContent content_;                    // reused for every cell
  struct BadgePicture {
    int image;
    Color background;
    Bitmap picture;
  };
  std::vector<BadgePicture> badges_;
  std::u16string empty_text_;  // the strip's images over each background
  std::function<void(std::u16string_view code)> row_painted_;
};

}  // namespace velloran
