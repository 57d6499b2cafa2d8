#include "app/koa_app.h"

#include "app/frame_workspace.h"
#include "app/main_frame.h"
#include "app/session_data.h"
#include "app/settings_files.h"
#include "net/login_dialog.h"
#include "platform/application.h"
#include "platform/window_events.h"

namespace velloran {
namespace {
CKOAApp* g_app = nullptr;
}  // namespace

CKOAApp::CKOAApp(AppOptions options) : options_(std::move(options)) {
  g_app = this;
}

CKOAApp::~CKOAApp() {
  ExitInstance();
  if (g_app == this) g_app = nullptr;
}

CKOAApp* CKOAApp::Instance() {
  return g_app;
}

bool CKOAApp::InitInstance() {
  // The store exists before the login, whose dialog reads and writes the
  // login settings record.
  SessionOptions session_options;
  session_options.data_dir = DataDirectory(options_.data_dir);
  session_options.decoder = &decoder_;
  if (!session_options.data_dir.empty())
    workspace_path_ = session_options.data_dir / kWorkspaceFileName;
  session_options.journal_keep_days = options_.journal_days;
  session_ = std::make_unique<CSessionData>(std::move(session_options));
  // The screen and its filters as the user left them, before anything reads them.
  Workspace workspace;
  if (!workspace_path_.empty()) (void)LoadWorkspace(workspace_path_, workspace);
  ApplySessionWorkspace(workspace, *session_);

  const LoginResult login = login_step_ ? login_step_(*this) : RunLoginDialog();
  if (!login.ok) {
    login_cancelled_ = true;
    return false;
  }
  login_done_at_ = UiLoop().clock().Steady();
  user_id_ = login.user_id;
  server_address_ = login.server_address;
  server_port_ = login.server_port;

  SessionEndpoint endpoint{server_address_, server_port_, user_id_};
  main_frame_ = std::make_unique<CMainFrame>(*session_, std::move(endpoint), timings_);
  main_frame_->SetQuitOnDestroy(true);
  main_frame_->SetReplayDataUrl(options_.data_url);
  const bool measured = work_area_.IsEmpty();
  const Rect work_area = measured ? ScreenWorkArea() : work_area_;
  if (!main_frame_->CreateFrame(work_area, measured ? ScreenArea() : screen_)) {
    ShowMessageBox(nullptr, u"주 창을 만들지 못했습니다.");
    main_frame_.reset();
    return false;
  }
  ApplyFrameWorkspace(workspace, *main_frame_, work_area);
  // Whichever way the program ends, the frame goes through its destruction.
  main_frame_->SetBeforeDestroy([this] { SaveWorkspaceNow(); });
  if (workspace.maximized) {
    main_frame_->ShowMaximized();
  } else {
    main_frame_->ShowNormal();
  }
  main_frame_->UpdateNow();
  frame_shown_at_ = UiLoop().clock().Steady();

  const DecoderLoad loaded = decoder_directory_.empty() ? decoder_.LoadBesideExecutable()
                                                        : decoder_.Load(decoder_directory_);
  if (loaded != DecoderLoad::kOk) {
    ShowMessageBox(main_frame_.get(), CDecoder::FailureMessage(loaded));
    return false;
  }
  return true;
}

void CKOAApp::ExitInstance() {
  if (exited_) return;
  exited_ = true;
  // The frame and its socket go first: the socket feeds the store.
  if (main_frame_) {
    main_frame_->SetQuitOnDestroy(false);
    if (main_frame_->IsCreated()) main_frame_->Destroy();
    main_frame_.reset();
  }
  session_.reset();
  decoder_.Unload();
}

CKOAApp::LoginResult CKOAApp::RunLoginDialog() {
  LoginOptions login;
  login.login_page = options_.LoginPage();
  login.recovery_page = options_.AccountPage();
  CLoginDlg dialog(session_->GetLoginSettings(), login);
  if (!dialog.Open()) return {};
  login_dialog_ = &dialog;
  struct Forget {
    CLoginDlg*& dialog;
    ~Forget() { dialog = nullptr; }
  } forget{login_dialog_};
  login_shown_at_ = UiLoop().clock().Steady();
  if (!preset_id_.empty()) {
    dialog.SetCredentials(preset_id_, preset_password_);
    if (preset_submit_) {
      // Nobody is there to try again: a refused login ends the program.
      dialog.SetEndOnFailure(true);
      UiLoop().Post([&dialog] {
        dialog.OnOK();
        if (dialog.result() == CLoginDlg::kRunning && !dialog.logging_in()) dialog.OnCancel();
      });
    }
  }
  if (login_observer_) login_observer_(dialog);
  if (dialog.DoModal() != CLoginDlg::kOk) return {};
  return {true, dialog.user_id(), dialog.server_address(), dialog.server_port()};
}

void CKOAApp::SaveWorkspaceNow() {
  if (workspace_path_.empty() || !main_frame_ || !main_frame_->IsCreated() || !session_) return;
  (void)SaveWorkspace(workspace_path_, CaptureWorkspace(*main_frame_, *session_));
}

void CKOAApp::RequestClose() {
  if (main_frame_ && main_frame_->IsCreated()) {
    PostMessage(main_frame_->handle(), sys::kClose, 0, 0);
  } else if (login_dialog_ != nullptr) {
    login_dialog_->OnCancel();
  } else if (Application::Instance() != nullptr) {
    Application::Instance()->Quit(0);
  }
}

std::u16string CKOAApp::Decode(const std::u16string& text) const {
  return decoder_.Decode(text);
}

}  // namespace velloran
