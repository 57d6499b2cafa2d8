#pragma once
// CKOAApp, the application object: one per process. It creates the session
// store, runs the login, creates the main frame, loads the decoder library,
// and at exit releases them in order. It holds what many windows share: the
// fonts, the session parameters the login produced, and the decoder entry.
//
// Steps of the desktop this system first ran on that mean nothing here (the
// common-controls registration, COM, OLE, GDI+ start-up, the visual manager,
// the registry key) have no counterpart: the window layer needs none of them.

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "app/command_line.h"
#include "net/decoder.h"
#include "net/session_driver.h"
#include "platform/draw_context.h"

namespace velloran {

class CLoginDlg;
class CMainFrame;
class CSessionData;

struct AppFonts {
  Font small = Font::Points(u"Arial", 7);
  Font normal = Font::Points(u"Arial", 8);
  Font text = Font::Points(u"굴림", 9);
  Font bold_text = Font::Points(u"굴림", 9, 700);
  Font large_text = Font::Points(u"굴림", 10);
};

class CKOAApp {
 public:
  // What the login step needs and gives; the dialog fills it.
  struct LoginResult {
    bool ok = false;  // false: cancelled
    std::u16string user_id;
    std::u16string server_address;
    int server_port = 0;
  };
  using LoginStep = std::function<LoginResult(CKOAApp& app)>;

  // The Application (platform/application.h) must exist.
  explicit CKOAApp(AppOptions options);
  ~CKOAApp();
  CKOAApp(const CKOAApp&) = delete;
  CKOAApp& operator=(const CKOAApp&) = delete;

  // The one application object, or null.
  [[nodiscard]] static CKOAApp* Instance();

  // Replaces the login dialog (tests, and the unattended demo).
  void SetLoginStep(LoginStep step) { login_step_ = std::move(step); }
  // Sees the login dialog once it is open, before the user does (tests type
  // into it from here).
  void SetLoginDialogObserver(std::function<void(CLoginDlg&)> observer) {
    login_observer_ = std::move(observer);
  }
  // Where the decoder library is looked for; empty: beside the executable.
  void SetDecoderDirectory(std::string directory) { decoder_directory_ = std::move(directory); }
  void SetSessionTimings(SessionTimings timings) { timings_ = timings; }
  // The screen the frame is placed on, instead of the primary screen's (a
  // program without a display has no real screen to measure).
  void SetScreenAreas(const Rect& work_area, const Rect& screen) {
    work_area_ = work_area;
    screen_ = screen;
  }
  // Fills the login dialog with these credentials; with submit, logs in
  // without waiting for the user (a demo without a display).
  void SetPresetLogin(std::u16string id, std::u16string password, bool submit) {
    preset_id_ = std::move(id);
    preset_password_ = std::move(password);
    preset_submit_ = submit;
  }

  // The system asks the program to end (a signal at logout): as when the
  // user closes the main window, or cancels the login while it is open.
  void RequestClose();

  // Start-up; false ends the process (after its message, if any). The
  // workspace of the last run is put back on the way.
  [[nodiscard]] bool InitInstance();
  // Writes the workspace as the frame shows it now (the frame does it when
  // it is destroyed).
  void SaveWorkspaceNow();
  [[nodiscard]] const std::filesystem::path& workspace_path() const { return workspace_path_; }
  // Shutdown: the store (and its worker), the frame, the decoder library.
  void ExitInstance();
  [[nodiscard]] std::u16string Decode(const std::u16string& text) const;

  // InitInstance ended because the user cancelled the login.
  [[nodiscard]] bool login_cancelled() const { return login_cancelled_; }
  [[nodiscard]] const AppOptions& options() const { return options_; }
  [[nodiscard]] const AppFonts& fonts() const { return fonts_; }
  [[nodiscard]] CSessionData* session() const { return session_.get(); }
  [[nodiscard]] CMainFrame* main_frame() const { return main_frame_.get(); }
  [[nodiscard]] const CDecoder& decoder() const { return decoder_; }
  [[nodiscard]] const std::u16string& user_id() const { return user_id_; }
  [[nodiscard]] const std::u16string& server_address() const { return server_address_; }
  [[nodiscard]] int server_port() const { return server_port_; }
  // When the login dialog was open, the login accepted, and the main window
  // shown and painted.
  [[nodiscard]] std::chrono::steady_clock::time_point login_shown_at() const {
    return login_shown_at_;
  }
  [[nodiscard]] std::chrono::steady_clock::time_point login_done_at() const {
    return login_done_at_;
  }
  [[nodiscard]] std::chrono::steady_clock::time_point frame_shown_at() const {
    return frame_shown_at_;
  }

 private:
  [[nodiscard]] LoginResult RunLoginDialog();

  AppOptions options_;
  AppFonts fonts_;
  SessionTimings timings_;
  LoginStep login_step_;
  std::function<void(CLoginDlg&)> login_observer_;
  std::string decoder_directory_;
  Rect work_area_;
  Rect screen_;
  std::u16string preset_id_;
  std::u16string preset_password_;
  bool preset_submit_ = false;
  std::chrono::steady_clock::time_point login_shown_at_{};
  std::chrono::steady_clock::time_point login_done_at_{};
  std::chrono::steady_clock::time_point frame_shown_at_{};
  CDecoder decoder_;
  std::u16string server_address_;
  int server_port_ = 0;
  std::unique_ptr<CSessionData> session_;
  std::filesystem::path workspace_path_;
  std::u16string user_id_;
  std::unique_ptr<CMainFrame> main_frame_;
  CLoginDlg* login_dialog_ = nullptr;  // while it is open
  bool login_cancelled_ = false;
  bool exited_ = false;
};

}  // namespace velloran
