#pragma once
// CJournalWnd, the journal window: the day's screen journal, newest first,
// with chips that narrow it by event and by screen (each screen's chip
// carries its count), a search by code or name prefix, a CSV export of what
// it shows, and "이 시점부터 재생" for the selected row. The arithmetic is
// CJournalView's; this window lays out, paints and takes input.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/journal_view.h"
#include "platform/edit_control.h"
#include "platform/window.h"

namespace velloran {

class CJournalWnd : public Window {
 public:
  static constexpr int kWidth = 660;
  static constexpr int kHeight = 430;
  static constexpr int kHeaderHeight = 28;
  static constexpr int kChipsHeight = 26;  // each of the two chip rows
  static constexpr int kTitlesHeight = 20;
  static constexpr int kRowHeight = 20;
  static constexpr int kSearchId = 140;

  struct Actions {
    std::function<void(const JournalEntry&)> pick;    // a click on a row
    std::function<void(const JournalEntry&)> replay;  // "이 시점부터 재생"
    std::function<void(const std::string& csv)> export_csv;
  };
  explicit CJournalWnd(Actions actions);

  // The day's entries, oldest first; the filters and the selection stay.
  void SetEntries(std::vector<JournalEntry> entries);
  void SetExportNote(std::u16string note);
  [[nodiscard]] CJournalView& view() { return view_; }
  [[nodiscard]] EditControl& search() { return search_; }
  [[nodiscard]] int selected() const { return selected_; }

  // Where things stand (client coordinates), for the window and its tests.
  [[nodiscard]] Rect ExportRect() const;
  [[nodiscard]] Rect ReplayRect() const;
  // The event chips: 전체, 편입, 이탈, 알람.
  [[nodiscard]] Rect EventChip(int index) const;
  // The screen chips: 전체, then one per screen of the day in order.
  [[nodiscard]] Rect ScreenChip(int index) const;
  [[nodiscard]] Rect RowRect(int row) const;  // row of view().rows(), as shown

 protected:
  int OnCreate() override;
  void OnPaint(DrawContext& dc) override;
  void OnLButtonDown(Point p, WParam) override;
  void OnMouseWheel(int delta, Point, WParam) override;
  void OnKeyDown(WParam key) override;
  bool OnCommand(int id, int code, const WindowHandle& child) override;

 private:
  [[nodiscard]] int VisibleRows() const;
  [[nodiscard]] int TableTop() const;
  void Select(int row);
  void PaintChips(DrawContext& dc);
  void PaintRows(DrawContext& dc);

  Actions actions_;
  CJournalView view_;
  EditControl search_;
  int selected_ = -1;
  int first_shown_ = 0;
  std::u16string export_note_;
};

}  // namespace velloran
