#include "replay/play_load_wnd.h"

#include "platform/application.h"
#include "platform/http_post.h"
#include "replay/play_download.h"

namespace velloran {

CPlayLoadWnd::CPlayLoadWnd(std::string data_url) : data_url_(std::move(data_url)) {}

CPlayLoadWnd::~CPlayLoadWnd() = default;

Rect CPlayLoadWnd::TextRect(const Rect& client) {
  const Rect r = BackRect(client).Offset(10, 10);
  return {r.left, r.top, r.right, r.top + 20};
}

Rect CPlayLoadWnd::BarRect(const Rect& client) {
  return {client.left + 10, client.top + 30, client.right - 10, client.bottom - 10};
}

int CPlayLoadWnd::OnCreate() {
  SetTimer(kStartTimer, 100);
  return 0;
}

void CPlayLoadWnd::OnDestroy() {
  task_.reset();  // abandons the transfer; nothing comes back after this
}

bool CPlayLoadWnd::Download(const Packet& request, Done done) {
  if (task_) return false;
  ClearFailure();
  done_callback_ = std::move(done);
  ShowProgress(0, 0);
  Show(true);
  task_ = std::make_unique<HttpPostTask>(
      UiLoop(), ReplayDownloadRequest(data_url_, request),
      [this](const HttpPostResult& result) { Finished(result); },
      [this](std::int64_t length, std::int64_t bytes) {
        const DownloadProgress p = BlockProgress(length, bytes);
        ShowProgress(p.total, p.done);
      });
  return true;
}

void CPlayLoadWnd::Cancel() {
  task_.reset();
  done_callback_ = nullptr;
  ClearFailure();
  ShowProgress(0, 0);
  Show(false);
}

void CPlayLoadWnd::Finished(const HttpPostResult& result) {
  task_.reset();
  DownloadOutcome outcome = ReadReplayDownload(result);
  // The callback may start the next download: it is taken first.
  const Done done = std::move(done_callback_);
  done_callback_ = nullptr;
  if (outcome.reply) {
    ShowProgress(kAnalysing, 0);
  } else {
    ShowProgress(0, 0);
    failure_ = std::move(outcome.failure);
    SetTimer(kFailureTimer, kFailureShownMs);
  }
  if (done) done(std::move(outcome.reply));
}

void CPlayLoadWnd::ClearFailure() {
  if (failure_.empty()) return;
  KillTimer(kFailureTimer);
  failure_.clear();
  Invalidate();
}

void CPlayLoadWnd::ShowProgress(std::int64_t total, std::int64_t done) {
  total_ = total;
  done_ = done;
  Invalidate();
}

void CPlayLoadWnd::OnTimer(int id) {
  if (id == kStartTimer) {
    KillTimer(kStartTimer);
    Invalidate();  // the empty progress of a new window, or what came since
  } else if (id == kFailureTimer) {
    ClearFailure();
    Show(false);
  }
}

bool CPlayLoadWnd::OnEraseBackground(DrawContext&) {
  return true;  // OnPaint covers the whole client area
}

void CPlayLoadWnd::OnPaint(DrawContext& dc) {
  if (!IsVisible()) return;
  const Rect client = ClientRect();
  dc.FillRect(client, kFrame);
  dc.FillRect(BackRect(client), kBack);
  dc.SetFont(font_);
  dc.SetTransparentBackground(true);
  const unsigned flags = text_flag::kLeft | text_flag::kVCenter | text_flag::kSingleLine;
  const Rect bar = BarRect(client);
  if (!failure_.empty()) {
    dc.SetTextColor(kFailureText);
    dc.DrawText(failure_, TextRect(client), flags);
  } else if (total_ > 0 && done_ < total_) {
    // The dots blink with every block.
    dc.SetTextColor(kText);
    dc.DrawText(done_ % 2 != 0 ? u"DATA 다운로드중" : u"DATA 다운로드중..........",
                TextRect(client), flags);
    const int right = bar.left + static_cast<int>(done_ * bar.width() / total_);
    dc.FillRect({bar.left, bar.top, right, bar.bottom}, kBar);
  } else if (total_ == kAnalysing) {
    dc.SetTextColor(kText);
    dc.DrawText(u"DATA 분석중...........", TextRect(client), flags);
    dc.FillRect(bar, kBar);
  }
}

}  // namespace velloran
