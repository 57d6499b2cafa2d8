#pragma once
// The login exchange with the login service: the form the client posts (ID,
// password and the network adapter's hardware address), the HTTP POST to the
// deployment's login page, and the reading of the service's answer packet,
// which names the data server on success.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/network_adapters.h"

namespace velloran {

inline constexpr char kLoginAgent[] = "QZ SESSION";
inline constexpr char kFormContentType[] = "application/x-www-form-urlencoded";
// The service takes forms of at most this many bytes.
inline constexpr std::size_t kMaxLoginBodyBytes = 1023;
inline constexpr char16_t kLoginTooLong[] = u"아이디 또는 비밀번호가 너무 깁니다.";

// The deployment's pages and the bounds of the exchange. The exchange blocks
// its caller, so it is bounded: a silent host costs at most timeout_ms.
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
  // The form was longer than kMaxLoginBodyBytes; nothing was sent.
  bool body_too_long = false;
};
// Posts the form with GetAdapterAddress() as mac to the login page.
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

// The first non-loopback adapter's six-byte address as twelve upper-case hex
// digits; "Error : %d " with the error number when the list could not be read
// (listed false) or holds no such adapter.
[[nodiscard]] std::u16string AdapterAddressText(const std::vector<NetworkAdapter>& adapters,
                                                bool listed, int error);
[[nodiscard]] std::u16string GetAdapterAddress();

}  // namespace velloran
