#include "net/login_dialog.h"

#include <chrono>
#include <tuple>

#include "net/packet.h"
#include "net/utf8.h"
#include "platform/application.h"
#include "platform/bitmap_resources.h"
#include "platform/control_codes.h"
#include "platform/draw_context.h"
#include "platform/window_events.h"

namespace velloran {
namespace {

constexpr int kLoginBitmap = 321;
constexpr int kRecoveryBitmap = 318;
constexpr int kSaveIdOff = 319;
constexpr int kSaveIdOn = 320;
constexpr int kCornerEllipse = 50;

// Places relative to the artwork's top-left corner.
constexpr Rect kIdRect{90, 140, 90 + 332, 140 + 32};
constexpr Rect kPasswordRect{90, 184, 90 + 332, 184 + 32};
constexpr Point kSaveIdAt{90, 230};
constexpr Point kRecoveryAt{90 + 332 - 110, 228};  // right-aligned with the fields
constexpr Point kLoginAt{90, 264};

constexpr char16_t kLoggingIn[] = u"로그인 중입니다… (Esc: 취소)";
constexpr char16_t kRecoveryUnavailable[] = u"비밀번호 찾기 페이지를 열 수 없습니다.\n";
constexpr char16_t kRecoveryNotConfigured[] =
    u"비밀번호 찾기 페이지의 주소가 설정되어 있지 않습니다.\n"
    u"계정 페이지의 주소를 --account-url 또는 VELLORAN_ACCOUNT_URL 로 지정해 주세요.";

}  // namespace

CLoginDlg::CLoginDlg(Packet* settings, LoginOptions options)
    : settings_(settings), options_(std::move(options)) {
  SetBackgroundColor(kBackground);
}

bool CLoginDlg::Open() {
  if (IsCreated()) return true;
  result_ = kRunning;
  const Rect area = ScreenWorkArea();
  const int left = area.left + (area.width() - kWidth) / 2;
  const int top = area.top + (area.height() - kHeight) / 2;
  WindowStyle style;
  style.kind = WindowKind::kTopLevel;
  style.frameless = true;
  return Create(nullptr, kDialogId, {left, top, left + kWidth, top + kHeight}, u"Velloran", style);
}

Point CLoginDlg::BitmapOrigin() const {
  const Bitmap& art = LoadBitmapResource(kBitmapId);
  const Rect client = ClientRect();
  return {(client.width() - art.width()) / 2, (client.height() - art.height()) / 2};
}

int CLoginDlg::OnCreate() {
  SetRoundRectMask(ClientRect(), kCornerEllipse, kCornerEllipse);
  const Point o = BitmapOrigin();
  const Font font = Font::Points(u"굴림", 20);
  EditStyle password_style;
  password_style.password = true;
  bool ok = true;
  for (auto [field, id, rect, style] :
       {std::tuple{&id_field_, kIdField, kIdRect, EditStyle{}},
        std::tuple{&password_field_, kPasswordField, kPasswordRect, password_style}}) {
    ok = ok && field->Create(this, id, rect.Offset(o.x, o.y), style);
    field->SetFont(font);
    field->SetTextColor(kFieldText);
    field->SetBkColor(kFieldBackground);
  }
  WindowStyle child;
  auto place = [&](CBitButton& button, int id, Point at, int bitmap) {
    ok = ok && button.Create(u"", child, {o.x + at.x, o.y + at.y, o.x + at.x + 1, o.y + at.y + 1},
                             this, id);
    ok = ok && button.LoadBitmap(bitmap);
  };
  place(login_button_, kLoginButton, kLoginAt, kLoginBitmap);
  place(recovery_button_, kRecoveryButton, kRecoveryAt, kRecoveryBitmap);
  place(save_id_toggle_, kSaveIdToggle, kSaveIdAt, kSaveIdOff);
  save_id_toggle_.SetBehaviour(BitButtonBehaviour::kToggle);
  save_id_toggle_.SetToggleBitmaps(kSaveIdOff, kSaveIdOn);
  if (!ok) return -1;

  if (settings_ != nullptr) {
    id_field_.SetText(settings_->GetText(u"ID", u""));
    if (settings_->GetInt(u"CHK", 0) == 1) {
      save_id_toggle_.SetToggle(1);
      password_field_.SetFocus();
      return 0;
    }
  }
  id_field_.SetFocus();
  return 0;
}

void CLoginDlg::OnPaint(DrawContext& dc) {
  const Point o = BitmapOrigin();
  dc.DrawBitmap(LoadBitmapResource(kBitmapId), o.x, o.y);
  if (!exchange_) return;
  dc.SetTransparentBackground(true);
  dc.SetFont(Font::Points(u"굴림", 9));
  dc.SetTextColor(Rgb(200, 200, 200));
  const int top = o.y + kLoginAt.y + 46;
  dc.DrawText(kLoggingIn, {o.x + kIdRect.left, top, o.x + kIdRect.right, top + 18},
              text_flag::kSingleLine | text_flag::kCenter | text_flag::kVCenter);
}

void CLoginDlg::DialogButton::OnKeyDown(WParam key) {
  if (key == sys::kVkReturn || key == sys::kVkEscape || key == sys::kVkTab) {
    if (parent() != nullptr) parent()->Send(sys::kKeyDown, key, 0);
    return;
  }
  CBitButton::OnKeyDown(key);
}

void CLoginDlg::OnKeyDown(WParam key) {
  if (key == sys::kVkReturn) {
    OnOK();
  } else if (key == sys::kVkEscape) {
    OnCancel();
  } else if (key == sys::kVkTab) {
    (id_field_.HasFocus() ? password_field_ : id_field_).SetFocus();
  }
}

bool CLoginDlg::OnCommand(int id, int code, const WindowHandle&) {
  if (code != ctl::kButtonClicked) return false;
  if (id == kLoginButton) {
    OnOK();
  } else if (id == kRecoveryButton) {
    OpenRecoveryPage();
  } else {
    return id == kSaveIdToggle;  // the toggle keeps its own state
  }
  return true;
}

void CLoginDlg::SetCredentials(const std::u16string& id, const std::u16string& password) {
  id_field_.SetText(id);
  password_field_.SetText(password);
}

void CLoginDlg::OnOK() {
  if (result_ != kRunning || exchange_) return;
  const std::u16string id = id_field_.Text();
  if (id.empty()) {
    id_field_.SetFocus();
    return;
  }
  const std::u16string password = password_field_.Text();
  if (password.empty()) {
    password_field_.SetFocus();
    return;
  }
  HttpPostRequest request;
  if (!MakeLoginRequest(options_, id, password, request)) {
    ShowMessageBox(this, kLoginTooLong);
    if (end_on_failure_) OnCancel();
    return;
  }
  exchange_ = std::make_unique<HttpPostTask>(
      UiLoop(), std::move(request),
      [this, id](const HttpPostResult& result) { OnLoginExchanged(id, result); });
  Invalidate();
}

void CLoginDlg::OnLoginExchanged(const std::u16string& id, const HttpPostResult& result) {
  exchange_.reset();
  Invalidate();
  const LoginAnswer answer = ReadLoginResponse(ReadLoginExchange(result));
  if (!answer.ok) {
    ShowMessageBox(this, answer.message);
    if (end_on_failure_) OnCancel();
    return;
  }
  user_id_ = id;
  server_address_ = answer.server_address;
  server_port_ = answer.server_port;
  if (settings_ != nullptr) {
    const bool remember = save_id_toggle_.state() == 1;
    settings_->SetText(u"ID", remember ? std::u16string_view(id) : std::u16string_view());
    settings_->SetInt(u"CHK", remember ? 1 : 0);
  }
  EndDialog(kOk);
}

void CLoginDlg::OnCancel() {
  exchange_.reset();  // abandons an exchange under way
  if (result_ == kRunning) EndDialog(kCancel);
}

void CLoginDlg::EndDialog(Result result) {
  result_ = result;
  Show(false);
}

CLoginDlg::Result CLoginDlg::DoModal() {
  if (!Open()) return kCancel;
  Show(true);
  while (result_ == kRunning && IsCreated()) UiLoop().ProcessEvents(std::chrono::milliseconds(100));
  if (result_ == kRunning) result_ = kCancel;  // the window went away
  if (IsCreated()) Destroy();
  return result_;
}

void CLoginDlg::OpenRecoveryPage() {
  // Each failure says what is missing: the address, or a browser for it.
  if (options_.recovery_page.empty()) {
    ShowMessageBox(this, kRecoveryNotConfigured);
    return;
  }
  const std::u16string page = Utf8ToUtf16(options_.recovery_page);
  if (!OpenUrl(page)) ShowMessageBox(this, kRecoveryUnavailable + page);
}

}  // namespace velloran
