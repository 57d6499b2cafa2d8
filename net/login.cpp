#include "net/login.h"

#include <algorithm>
#include <cstdio>

#include "net/packet.h"
#include "net/text_util.h"
#include "net/utf8.h"
#include "platform/http_post.h"

namespace velloran {

std::string LoginBody(std::u16string_view id, std::u16string_view password,
                      std::u16string_view mac) {
  return "id=" + PercentEncode(Utf16ToUtf8(id)) + "&pwd=" + PercentEncode(Utf16ToUtf8(password)) +
         "&mac=" + PercentEncode(Utf16ToUtf8(mac));
}

LoginResponse Login(const LoginOptions& options, std::u16string_view id,
                    std::u16string_view password) {
  LoginResponse response;
  HttpPostRequest request;
  request.body = LoginBody(id, password, GetAdapterAddress());
  if (request.body.size() > kMaxLoginBodyBytes) {
    response.body_too_long = true;
    return response;
  }
  request.url = options.login_page;
  request.content_type = kFormContentType;
  request.agent = kLoginAgent;
  request.connect_timeout_ms = options.connect_timeout_ms;
  request.timeout_ms = options.timeout_ms;
  // An answer names a server and a port; anything near this size is not one.
  request.max_answer_bytes = 1024 * 1024;
  const HttpPostResult result = HttpPost(request);
  // The whole answer is decoded at once, so that a character is never split
  // between two reads.
  if (result.status == 200) response.text = Utf8ToUtf16(result.answer);
  return response;
}

LoginAnswer ParseLoginAnswer(std::u16string_view text) {
  const Packet packet{std::u16string(text)};
  LoginAnswer answer;
  answer.message = packet.GetText(u"RTN", u"");
  answer.ok = answer.message == u"OK";
  answer.server_address = packet.GetText(u"IP", u"");
  answer.server_port = packet.GetInt(u"PORT", 0);
  return answer;
}

std::u16string AdapterAddressText(const std::vector<NetworkAdapter>& adapters, bool listed,
                                  int error) {
  if (listed) {
    for (const NetworkAdapter& a : adapters) {
      const auto& hw = a.hardware_address;
      if (a.loopback || hw.size() != 6 ||
          std::all_of(hw.begin(), hw.end(), [](std::uint8_t b) { return b == 0; }))
        continue;
      char text[13];
      std::snprintf(text, sizeof text, "%02X%02X%02X%02X%02X%02X", hw[0], hw[1], hw[2], hw[3],
                    hw[4], hw[5]);
      return Widen(text);
    }
    error = NoDeviceError();
  }
  return u"Error : " + FormatInt(error) + u" ";
}

std::u16string GetAdapterAddress() {
  std::vector<NetworkAdapter> adapters;
  int error = 0;
  const bool listed = ListNetworkAdapters(adapters, error);
  return AdapterAddressText(adapters, listed, error);
}

}  // namespace velloran
