#pragma once
// CLoginDlg, the borderless login window shown before the main window: ID
// and password fields, the login, password-recovery and save-ID buttons over
// the login artwork. A successful login keeps the user ID and the data
// server's address and port for the session, and remembers the ID (or forgets
// it) in the login settings record.

#include <memory>
#include <string>

#include "net/login.h"
#include "platform/edit_control.h"
#include "platform/window.h"
#include "ui/bit_button.h"
#include "ui/color_edit.h"

namespace velloran {

class Packet;

class CLoginDlg : public Window {
 public:
  static constexpr int kDialogId = 312;
  static constexpr int kBitmapId = 312;
  static constexpr int kIdField = 131;
  static constexpr int kPasswordField = 132;
  static constexpr int kLoginButton = 133;
  static constexpr int kRecoveryButton = 134;
  static constexpr int kSaveIdToggle = 135;
  // The window is 545 x 396 dialog units. Its dialog font, "굴림" 9 points at
  // 96 dpi, has base units of 6 x 12 pixels: x = units * 6 / 4, y = units * 12
  // / 8, rounded, which gives 818 x 594 pixels.
  static constexpr int kWidth = (545 * 6 + 2) / 4;
  static constexpr int kHeight = (396 * 12 + 4) / 8;
  static constexpr Color kBackground = Rgb(56, 56, 56);
  static constexpr Color kFieldBackground = Rgb(44, 44, 44);
  static constexpr Color kFieldText = Rgb(255, 255, 255);

  enum Result { kRunning = 0, kOk = 1, kCancel = 2 };

  // settings: the login settings record (the store keeps it); may be null.
  CLoginDlg(Packet* settings, LoginOptions options);

  // Creates the window centred on the screen's work area and shows it, the
  // fields filled from the settings record.
  [[nodiscard]] bool Open();
  // Opens the window when needed and runs the user-interface loop until the
  // dialog ends; the window is gone afterwards.
  Result DoModal();
  [[nodiscard]] Result result() const { return result_; }

  // The fields as if typed (the demo fills in its user).
  void SetCredentials(const std::u16string& id, const std::u16string& password);
  // The login button's work, and Escape's. The exchange with the login page
  // runs off the user-interface thread, so the window stays live while it
  // waits; Escape abandons it.
  void OnOK();
  void OnCancel();
  // While the exchange started by OnOK waits for its answer.
  [[nodiscard]] bool logging_in() const { return exchange_ != nullptr; }
  // A failed login ends the dialog with cancel (nobody is there to try again).
  void SetEndOnFailure(bool end) { end_on_failure_ = end; }

  // After kOk.
  [[nodiscard]] const std::u16string& user_id() const { return user_id_; }
  [[nodiscard]] const std::u16string& server_address() const { return server_address_; }
  [[nodiscard]] int server_port() const { return server_port_; }

  // The controls, for the owner and tests.
  [[nodiscard]] EditControl& id_field() { return id_field_; }
  [[nodiscard]] EditControl& password_field() { return password_field_; }
  [[nodiscard]] CBitButton& login_button() { return login_button_; }
  [[nodiscard]] CBitButton& recovery_button() { return recovery_button_; }
  [[nodiscard]] CBitButton& save_id_toggle() { return save_id_toggle_; }
  // The artwork's top-left corner in client coordinates.
  [[nodiscard]] Point BitmapOrigin() const;

 protected:
  int OnCreate() override;
  void OnPaint(DrawContext& dc) override;
  void OnKeyDown(WParam key) override;
  void OnClose() override { OnCancel(); }
  // A press anywhere on the background moves the window, as on a caption.
  HitCode HitTest(Point) override { return HitCode::kCaption; }
  bool OnCommand(int id, int code, const WindowHandle& child) override;

 private:
  // A button that hands the keys a dialog acts on (Enter, Escape, Tab) to
  // the dialog while it holds the focus, as the edit fields do.
  class DialogButton : public CBitButton {
   protected:
    void OnKeyDown(WParam key) override;
  };

  void EndDialog(Result result);
  void OnLoginExchanged(const std::u16string& id, const HttpPostResult& result);
  void OpenRecoveryPage();

  Packet* settings_;
  LoginOptions options_;
  CColorEdit id_field_;
  CColorEdit password_field_;
  DialogButton login_button_;
  DialogButton recovery_button_;
  DialogButton save_id_toggle_;
  Result result_ = kRunning;
  std::u16string user_id_;
  std::u16string server_address_;
  int server_port_ = 0;
  bool end_on_failure_ = false;
  std::unique_ptr<HttpPostTask> exchange_;
};

}  // namespace velloran
