#pragma once
// CPlayLoadWnd, the small child window of the replay player that downloads
// the first order-book block of a day over HTTP, off the user-interface
// thread, and shows how far it got: a blinking line and a blue bar, the
// analysing stage once the answer is in, or for a moment why it failed.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "net/packet.h"
#include "platform/window.h"

namespace velloran {

class HttpPostTask;
struct HttpPostResult;

class CPlayLoadWnd : public Window {
 public:
  static constexpr int kStartTimer = 1050;    // once, 100 ms after creation
  static constexpr int kFailureTimer = 1051;  // hides the failure line
  static constexpr int kFailureShownMs = 2000;
  static constexpr Color kBack = Rgb(216, 216, 216);
  static constexpr Color kBar = Rgb(30, 40, 235);
  static constexpr Color kFrame = Rgb(58, 58, 58);
  static constexpr Color kText = Rgb(0, 0, 0);
  static constexpr Color kFailureText = Rgb(231, 17, 14);
  static constexpr std::int64_t kAnalysing = -1;  // a total that paints the analysing stage

  // The reply packet, or null after a failure.
  using Done = std::function<void(std::unique_ptr<Packet> reply)>;

  // data_url: where the data page lies ("<data_url>qz2_hoga_data.aspx").
  explicit CPlayLoadWnd(std::string data_url);
  ~CPlayLoadWnd() override;

  // Shows the window and downloads the block a 3001 request (the first
  // block's) asks for; false, with nothing started, while a download runs.
  // done runs on the user-interface thread: with the reply, the window then
  // showing the analysing stage until the player hides it; or with null, the
  // window then showing why for kFailureShownMs of the loop's clock before
  // it hides itself.
  bool Download(const Packet& request, Done done);
  [[nodiscard]] bool downloading() const { return task_ != nullptr; }
  // Abandons a download under way (done does not run) and hides the window.
  void Cancel();

  // What is painted: total > 0 and done < total, the download under way;
  // kAnalysing, the answer being read; else the background only.
  void ShowProgress(std::int64_t total, std::int64_t done);
  [[nodiscard]] std::int64_t total() const { return total_; }
  [[nodiscard]] std::int64_t done() const { return done_; }
  // The failure line on show, empty when none.
  [[nodiscard]] const std::u16string& failure() const { return failure_; }

  // Where the parts lie in a client area.
  [[nodiscard]] static Rect BackRect(const Rect& client) { return client.Deflated(2, 2); }
  [[nodiscard]] static Rect TextRect(const Rect& client);
  [[nodiscard]] static Rect BarRect(const Rect& client);

 protected:
  int OnCreate() override;
  void OnDestroy() override;
  void OnTimer(int id) override;
  bool OnEraseBackground(DrawContext& dc) override;
  void OnPaint(DrawContext& dc) override;

 private:
  void Finished(const HttpPostResult& result);
  void ClearFailure();

  std::string data_url_;
  std::unique_ptr<HttpPostTask> task_;
  Done done_callback_;
  std::int64_t total_ = 0;
  std::int64_t done_ = 0;
  std::u16string failure_;
  Font font_ = Font::Points(u"굴림", 9);
};

}  // namespace velloran
