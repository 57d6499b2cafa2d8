#include "net/login.h"

#include <algorithm>
#include <cstdio>

#include "net/packet.h"
#include "net/text_util.h"
#include "net/utf8.h"

namespace velloran {

std::string LoginBody(std::u16string_view id, std::u16string_view password,
                      std::u16string_view mac) {
  return "id=" + PercentEncode(Utf16ToUtf8(id)) + "&pwd=" + PercentEncode(Utf16ToUtf8(password)) +
         "&mac=" + PercentEncode(Utf16ToUtf8(mac));
}

bool MakeLoginRequest(const LoginOptions& options, std::u16string_view id,
                      std::u16string_view password, HttpPostRequest& request) {
  request.body = LoginBody(id, password, GetAdapterAddress());
  if (request.body.size() > kMaxLoginBodyBytes) return false;
  request.url = options.login_page;
  request.content_type = kFormContentType;
  request.agent = kLoginAgent;
  request.connect_timeout_ms = options.connect_timeout_ms;
  request.timeout_ms = options.timeout_ms;
  // An answer names a server and a port; anything near this size is not one.
  request.max_answer_bytes = 1024 * 1024;
  return true;
}

LoginResponse ReadLoginExchange(const HttpPostResult& result) {
  LoginResponse response;
  response.status = result.status;
  // The whole answer is decoded at once, so that a character is never split
  // between two reads. An answer cut off by a reset is no answer.
  if (result.status == 200 && result.error.empty()) response.text = Utf8ToUtf16(result.answer);
  if (!result.error.empty()) response.status = 0;
  return response;
}

LoginResponse Login(const LoginOptions& options, std::u16string_view id,
                    std::u16string_view password) {
  HttpPostRequest request;
  if (!MakeLoginRequest(options, id, password, request)) {
    LoginResponse response;
    response.body_too_long = true;
    return response;
  }
  return ReadLoginExchange(HttpPost(request));
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

namespace {

// A host as a login answer may name it: a dotted address or a host name.
bool UsableHost(std::u16string_view host) {
  if (host.empty() || host.size() > 253) return false;
  return std::all_of(host.begin(), host.end(), [](char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
           c == u'.' || c == u'-';
  });
}

// 1 to 65535 written in plain digits, else 0.
int UsablePort(std::u16string_view text) {
  if (text.empty() || text.size() > 5) return 0;
  int port = 0;
  for (const char16_t c : text) {
    if (c < u'0' || c > u'9') return 0;
    port = port * 10 + (c - u'0');
  }
  return port <= 65535 ? port : 0;
}

}  // namespace

LoginAnswer ReadLoginResponse(const LoginResponse& response) {
  LoginAnswer answer;
  if (response.body_too_long) {
    answer.message = kLoginTooLong;
    return answer;
  }
  if (response.status == 0) {
    answer.message = kLoginNoAnswer;
    return answer;
  }
  if (response.status != 200) {
    answer.message = kLoginServerError + FormatInt(response.status) + u")";
    return answer;
  }
  const Packet packet{response.text};
  std::u16string_view rtn;
  if (!packet.Find(u"RTN", rtn) || rtn.empty()) {
    answer.message = kLoginNotAnAnswer;
    return answer;
  }
  answer.message.assign(rtn);
  if (rtn != u"OK") return answer;
  std::u16string_view ip, port;
  if (!packet.Find(u"IP", ip)) ip = {};
  if (!packet.Find(u"PORT", port)) port = {};
  if (!UsableHost(ip) || UsablePort(port) == 0) {
    answer.message = kLoginBadServer;
    return answer;
  }
  answer.ok = true;
  answer.server_address.assign(ip);
  answer.server_port = UsablePort(port);
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
