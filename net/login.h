#pragma once
// The login exchange with the login service: the form the client posts (ID,
// password and the network adapter's hardware address), the HTTP POST to the
// deployment's login page, and the reading of the service's answer packet,
// which names the data server on success.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/http_post.h"
#include "platform/network_adapters.h"

namespace velloran {

inline constexpr char kLoginAgent[] = "QZ SESSION";
inline constexpr char kFormContentType[] = "application/x-www-form-urlencoded";
// The service takes forms of at most this many bytes.
inline constexpr std::size_t kMaxLoginBodyBytes = 1023;
inline constexpr char16_t kLoginTooLong[] = u"아이디 또는 비밀번호가 너무 깁니다.";
// What the user is told when the exchange itself failed.
inline constexpr char16_t kLoginNoAnswer[] =
    u"로그인 서버에 연결할 수 없습니다. 네트워크를 확인한 뒤 다시 시도하십시오.";
inline constexpr char16_t kLoginServerError[] =  // followed by the HTTP status
    u"로그인 서버에 오류가 있습니다. 잠시 후 다시 시도하십시오. (HTTP ";
inline constexpr char16_t kLoginNotAnAnswer[] =
    u"로그인 서버의 응답을 알아볼 수 없습니다. 잠시 후 다시 시도하십시오.";
inline constexpr char16_t kLoginBadServer[] =
    u"로그인 응답에 접속할 서버의 주소가 올바르지 않습니다. 회사로 문의해 주세요.";

// The deployment's pages and the bounds of the exchange: a silent host costs
// at most timeout_ms.
struct LoginOptions {
  std::string login_page;     // the full address of "login_koa.aspx"
  std::string recovery_page;  // the full address of "member/lost.aspx"
  long connect_timeout_ms = 10000;
  long timeout_ms = 30000;
};

// "id=%s&pwd=%s&mac=%s" in UTF-8 with each value percent-encoded, so that a
// "&", "=", "%" or "+" in a password reaches the service as typed.
[[nodiscard]] std::string LoginBody(std::u16string_view id, std::u16string_view password,
                                    std::u16string_view mac);

struct LoginResponse {
  // The service's answer; empty after a failure or a status other than 200.
  std::u16string text;
  // The HTTP status; 0 when no answer came (no connection, a reset, a time-out).
  int status = 0;
  // The form was longer than kMaxLoginBodyBytes; nothing was sent.
  bool body_too_long = false;
};
// The POST of the form, with GetAdapterAddress() as mac, to the login page;
// false (nothing to send) when the form is longer than kMaxLoginBodyBytes.
[[nodiscard]] bool MakeLoginRequest(const LoginOptions& options, std::u16string_view id,
                                    std::u16string_view password, HttpPostRequest& request);
// What the exchange of that request gave.
[[nodiscard]] LoginResponse ReadLoginExchange(const HttpPostResult& result);
// Both, with the exchange blocking its caller.
[[nodiscard]] LoginResponse Login(const LoginOptions& options, std::u16string_view id,
                                  std::u16string_view password);

struct LoginAnswer {
  bool ok = false;                // RTN is "OK" exactly
  std::u16string message;         // RTN; empty when the answer has none
  std::u16string server_address;  // IP
  int server_port = 0;            // PORT
};
// Reads an answer text as a packet; any text gives an answer.
[[nodiscard]] LoginAnswer ParseLoginAnswer(std::u16string_view text);

// The outcome of a whole exchange for the login dialog: ok with the server to
// connect to, or the message to show. A server that said "OK" but named no
// usable address (no IP, a PORT that is not a number from 1 to 65535) is a
// failure too, and so is an answer that is no login answer at all.
[[nodiscard]] LoginAnswer ReadLoginResponse(const LoginResponse& response);

// The first non-loopback adapter's six-byte address as twelve upper-case hex
// digits; "Error : %d " with the error number when the list could not be read
// (listed false) or holds no such adapter.
[[nodiscard]] std::u16string AdapterAddressText(const std::vector<NetworkAdapter>& adapters,
                                                bool listed, int error);
[[nodiscard]] std::u16string GetAdapterAddress();

}  // namespace velloran
