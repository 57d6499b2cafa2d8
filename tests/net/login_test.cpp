// The login exchange against the demo server's login page and a test server
// that answers as a test tells it: the form as the service decodes it, the
// answers that count as success or failure, the bounds of the exchange.

#include "net/login.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <regex>

#include <unistd.h>

#include <gtest/gtest.h>

#include "net/text_util.h"
#include "net/utf8.h"
#include "server/demo_server.h"
#include "server/form.h"
#include "tests/net/login_test_server.h"

namespace velloran {
namespace {

using testing::LoginTestServer;

LoginOptions At(const std::string& base) {
  LoginOptions options;
  options.login_page = base + "login_koa.aspx";
  return options;
}

LoginAnswer LogIn(const LoginOptions& options, std::u16string_view id, std::u16string_view pwd) {
  const LoginResponse response = Login(options, id, pwd);
  EXPECT_FALSE(response.body_too_long);
  return ParseLoginAnswer(response.text);
}

TEST(LoginExchangeTest, DemoLoginPageAcceptsItsUsersAsTyped) {
  server::ServerOptions options;
  options.stocks = 50;
  options.speed = 0;
  options.users = {{"demo", "demo"}, {"kim&lee=1", "p%41=+ 비밀"}};
  server::DemoServer demo(options);
  std::string error;
  ASSERT_TRUE(demo.Start(error)) << error;
  const LoginOptions page = At("http://127.0.0.1:" + std::to_string(demo.http_port()) + "/");

  const LoginAnswer ok = LogIn(page, u"demo", u"demo");
  EXPECT_TRUE(ok.ok);
  EXPECT_EQ(ok.server_address, u"127.0.0.1");
  EXPECT_EQ(ok.server_port, demo.session_port());
  // Unencoded, "&" would end the ID, "%41" would become "A" and "+" a blank.
  EXPECT_TRUE(LogIn(page, u"kim&lee=1", u"p%41=+ 비밀").ok);

  const LoginAnswer refused = LogIn(page, u"demo", u"wrong");
  EXPECT_FALSE(refused.ok);
  EXPECT_EQ(refused.message, server::kLoginRefused);
  EXPECT_EQ(demo.Stats().login_pages, 3u);
}

TEST(LoginExchangeTest, TheFormAsSentAndItsLimit) {
  LoginTestServer service;
  service.AnswerText("<PKT><GBN>0</GBN><RTN>OK</RTN><IP>10.1.2.3</IP><PORT>7001</PORT></PKT>");
  const std::u16string mac = GetAdapterAddress();
  const std::u16string fits(kMaxLoginBodyBytes - LoginBody(u"", u"pw", mac).size(), u'a');
  const LoginAnswer answer = LogIn(At(service.Base()), fits, u"pw");
  EXPECT_TRUE(answer.ok);
  EXPECT_EQ(answer.server_address, u"10.1.2.3");
  EXPECT_EQ(answer.server_port, 7001);
  ASSERT_EQ(service.Received().size(), 1u);
  const testing::ReceivedLogin sent = service.Received()[0];
  EXPECT_EQ(sent.body.size(), kMaxLoginBodyBytes);
  EXPECT_EQ(sent.content_type, kFormContentType);
  EXPECT_EQ(sent.agent, "QZ SESSION");
  EXPECT_EQ(server::FormValue(server::ParseForm(sent.body), "mac"), Utf16ToUtf8(mac));

  // One byte more, since an encoded "&" takes three: refused, not cut.
  const LoginResponse over = Login(At(service.Base()), fits.substr(1) + u"&", u"pw");
  EXPECT_TRUE(over.body_too_long);
  EXPECT_EQ(over.text, u"");
  EXPECT_EQ(service.Received().size(), 1u);
}

TEST(LoginExchangeTest, AnswersAreReadWholeAndWaitedForBoundedly) {
  LoginTestServer service;
  const LoginOptions page = At(service.Base());
  // A long Korean refusal in small pieces that cut its characters apart.
  std::u16string long_text;
  while (Utf16ToUtf8(long_text).size() < 3000) long_text += u"서비스 점검 중입니다 50% ";
  const std::string wire = Utf16ToUtf8(u"<PKT><RTN>" + long_text + u"</RTN></PKT>");
  service.Answer([wire](const httplib::Request&, httplib::Response& res) {
    res.set_chunked_content_provider("text/plain", [wire](std::size_t at, httplib::DataSink& sink) {
      if (at < wire.size()) {
        sink.write(wire.data() + at, std::min<std::size_t>(7, wire.size() - at));
      } else {
        sink.done();
      }
      return true;
    });
  });
  std::u16string shown = long_text;
  ReplacePercent(shown);
  EXPECT_EQ(LogIn(page, u"id", u"pw").message, shown);

  // A service that never answers holds the caller no longer than the bound.
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  service.Answer([released](const httplib::Request&, httplib::Response& res) {
    released.wait_for(std::chrono::seconds(10));
    res.set_content("<PKT><RTN>OK</RTN></PKT>", "text/plain");
  });
  LoginOptions impatient = page;
  impatient.timeout_ms = 300;
  EXPECT_EQ(Login(impatient, u"id", u"pw").text, u"");
  release.set_value();
  EXPECT_EQ(Login(LoginOptions{}, u"id", u"pw").text, u"");  // no login page configured
}

TEST(LoginExchangeTest, AFailedExchangeSaysWhatFailed) {
  LoginTestServer service;
  const LoginOptions page = At(service.Base());
  auto shown = [&](const std::string& body, int status = 200) {
    service.AnswerText(body, status);
    const LoginAnswer answer = ReadLoginResponse(Login(page, u"id", u"pw"));
    EXPECT_FALSE(answer.ok) << body;
    return answer.message;
  };
  EXPECT_EQ(shown("", 500), kLoginServerError + std::u16string(u"500)"));
  EXPECT_EQ(shown(""), kLoginNotAnAnswer);
  EXPECT_EQ(shown("\x89PNG garbage <html>"), kLoginNotAnAnswer);
  EXPECT_EQ(shown("<PKT><RTN></RTN></PKT>"), kLoginNotAnAnswer);
  EXPECT_EQ(shown("<PKT><RTN>점검 중</RTN></PKT>"), u"점검 중");
  for (const char* bad : {"<IP>10.0.0.1</IP><PORT>99999</PORT>", "<IP>10.0.0.1</IP><PORT>0</PORT>",
                          "<IP>10.0.0.1</IP><PORT>70a1</PORT>", "<IP>10.0.0.1</IP>",
                          "<PORT>7001</PORT>", "<IP>10.0.0.1 ; x</IP><PORT>7001</PORT>"}) {
    EXPECT_EQ(shown(std::string("<PKT><RTN>OK</RTN>") + bad + "</PKT>"), kLoginBadServer) << bad;
  }
  service.AnswerText("<PKT><RTN>OK</RTN><IP>data.example</IP><PORT>65535</PORT></PKT>");
  const LoginAnswer ok = ReadLoginResponse(Login(page, u"id", u"pw"));
  EXPECT_TRUE(ok.ok);
  EXPECT_EQ(ok.server_address, u"data.example");
  EXPECT_EQ(ok.server_port, 65535);
  const LoginOptions nowhere =
      At("http://127.0.0.1:" + std::to_string(testing::ClosedPort()) + "/");
  EXPECT_EQ(ReadLoginResponse(Login(nowhere, u"id", u"pw")).message, kLoginNoAnswer);
}

TEST(LoginExchangeTest, HttpsCertificatesAreVerified) {
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("login_tls_" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  const std::string cert = (dir / "cert.pem").string(), key = (dir / "key.pem").string();
  const std::string make =
      "openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj /CN=127.0.0.1 "
      "-keyout " +
      key + " -out " + cert + " >/dev/null 2>&1";
  if (std::system(make.c_str()) != 0) GTEST_SKIP() << "no openssl to make a certificate";
  auto tls = std::make_unique<httplib::SSLServer>(cert.c_str(), key.c_str());
  ASSERT_TRUE(tls->is_valid());
  LoginTestServer service(std::move(tls));
  service.AnswerText("<PKT><RTN>OK</RTN></PKT>");
  // Self-signed: the exchange stops at the handshake.
  EXPECT_EQ(
      Login(At("https://127.0.0.1:" + std::to_string(service.port()) + "/"), u"id", u"pw").text,
      u"");
  EXPECT_TRUE(service.Received().empty());
  std::filesystem::remove_all(dir);
}

TEST(LoginAddressTest, FirstUsableAdapterOrTheErrorText) {
  using Hw = std::vector<std::uint8_t>;
  const std::vector<NetworkAdapter> adapters = {
      {"lo", true, Hw(6, 0)},
      {"tun0", false, Hw{}},
      {"dummy0", false, Hw(6, 0)},
      {"eth0", false, Hw{0x02, 0xab, 0x0c, 0xd4, 0xe5, 0xff}},
      {"eth1", false, Hw{1, 2, 3, 4, 5, 6}},
  };
  EXPECT_EQ(AdapterAddressText(adapters, true, 0), u"02AB0CD4E5FF");
  EXPECT_EQ(AdapterAddressText({adapters[0], adapters[1]}, true, 0),
            u"Error : " + FormatInt(NoDeviceError()) + u" ");
  EXPECT_EQ(AdapterAddressText({}, false, 13), u"Error : 13 ");
  const std::string mine = Utf16ToUtf8(GetAdapterAddress());
  EXPECT_TRUE(std::regex_match(mine, std::regex("[0-9A-F]{12}|Error : [0-9]+ "))) << mine;
}

}  // namespace
}  // namespace velloran
