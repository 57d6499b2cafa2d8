#include <gtest/gtest.h>

#include "net/packet.h"
#include "server/form.h"
#include "server/http_pages.h"
#include "server/server_options.h"
#include "server/user_book.h"
#include "server/wire_text.h"

namespace velloran::server {
namespace {

TEST(FormTest, DecodesPercentPlusAndKeepsBrokenEscapes) {
  const auto f = ParseForm("id=a%26b&pwd=p+q%3D&&mac=%zz%4&flag&=v");
  ASSERT_EQ(f.size(), 5u);
  EXPECT_EQ(FormValue(f, "id"), "a&b");
  EXPECT_EQ(FormValue(f, "pwd"), "p q=");
  EXPECT_EQ(FormValue(f, "mac"), "%zz%4");
  EXPECT_EQ(FormValue(f, "flag"), "");
  EXPECT_EQ(f[4].name, "");
  EXPECT_EQ(FormValue(f, "missing"), "");
  EXPECT_EQ(PercentDecode(PercentEncode("한빛 & 100%+=")), "한빛 & 100%+=");
  EXPECT_EQ(PercentEncode("a b&"), "a%20b%26");
}

TEST(LoginAnswerTest, OkRefusedAndClosed) {
  const Credentials users = {{"demo", "demo"}, {"kim&lee", "p w%"}};
  Packet ok(
      Utf16(LoginAnswer("id=demo&pwd=demo&mac=001122334455", users, false, "127.0.0.1", 4321)));
  EXPECT_EQ(ok.GetText(u"RTN", u""), u"OK");
  EXPECT_EQ(ok.GetText(u"IP", u""), u"127.0.0.1");
  EXPECT_EQ(ok.GetInt(u"PORT", 0), 4321);
  // Encoded values are decoded before they are compared.
  const std::string encoded = "id=" + PercentEncode("kim&lee") + "&pwd=" + PercentEncode("p w%");
  EXPECT_EQ(Packet(Utf16(LoginAnswer(encoded, users, false, "h", 1))).GetText(u"RTN", u""), u"OK");
  for (const char* body : {"id=demo&pwd=x", "id=&pwd=", "", "pwd=demo", "id=kim&lee&pwd=p w%"}) {
    Packet no(Utf16(LoginAnswer(body, users, false, "h", 1)));
    EXPECT_EQ(no.GetText(u"RTN", u""), kLoginRefused) << body;
    EXPECT_EQ(no.GetText(u"PORT", u"none"), u"none");
  }
  Packet closed(Utf16(LoginAnswer("id=demo&pwd=demo", users, true, "h", 1)));
  EXPECT_EQ(closed.GetText(u"RTN", u""), kLoginClosed);
}

TEST(UsersFileTest, PairsCommentsAndErrors) {
  std::string error;
  auto users = ParseUsers("# staff\n demo\tdemo \r\n\nkim  secret\r\n", error);
  ASSERT_TRUE(users);
  ASSERT_EQ(users->size(), 2u);
  EXPECT_EQ((*users)[0], (std::pair<std::string, std::string>("demo", "demo")));
  EXPECT_EQ((*users)[1].second, "secret");
  EXPECT_FALSE(ParseUsers("demo demo\nlonely\n", error));
  EXPECT_NE(error.find("line 2"), std::string::npos);
  EXPECT_FALSE(ParseUsers("a b c", error));
}

TEST(ServerOptionsTest, ParsesEveryOptionAndRejectsBadValues) {
  std::string error;
  bool help = false;
  auto o = ParseServerArgs({"--bind",           "127.0.0.2",
                            "--port",           "0",
                            "--http-port",      "8080",
                            "--seed",           "42",
                            "--stocks",         "300",
                            "--clock",          "sim",
                            "--speed",          "0.5",
                            "--start",          "083000",
                            "--date",           "20260105",
                            "--fault-drop",     "3",
                            "--fault-stall",    "2",
                            "--fault-garbage",  "--fault-split",
                            "--fault-oversize", "--fault-refuse-login",
                            "--fault-http-500"},
                           error, help);
  ASSERT_TRUE(o) << error;
  EXPECT_EQ(o->bind, "127.0.0.2");
  EXPECT_EQ(o->http_port, 8080);
  EXPECT_EQ(o->seed, 42u);
  EXPECT_EQ(o->stocks, 300);
  EXPECT_DOUBLE_EQ(o->speed, 0.5);
  EXPECT_EQ(o->start_time, 83000);
  EXPECT_EQ(o->date, 20260105);
  EXPECT_EQ(o->faults.drop_every_s, 3);
  EXPECT_EQ(o->faults.stall_s, 2);
  EXPECT_TRUE(o->faults.garbage && o->faults.split && o->faults.oversize &&
              o->faults.refuse_login && o->faults.http_500);
  auto books = ParseServerArgs({"--fault-short-book", "--fault-tiny-book", "--fault-bar-book",
                                "--fault-bad-maps", "--alarm-now", "--fault-replay-cut",
                                "--fault-replay-500", "--fault-replay-unsized",
                                "--fault-replay-drip", "--fault-replay-bad-lines"},
                               error, help);
  ASSERT_TRUE(books) << error;
  EXPECT_TRUE(books->faults.short_book && books->faults.tiny_book && books->faults.bar_book &&
              books->faults.bad_maps && books->alarm_now);
  EXPECT_TRUE(books->faults.replay_cut && books->faults.replay_500 &&
              books->faults.replay_unsized && books->faults.replay_drip &&
              books->faults.replay_bad_lines);

  // The open's rush starts before the open unless a start is given.
  auto open = ParseServerArgs({"--open"}, error, help);
  ASSERT_TRUE(open) << error;
  EXPECT_TRUE(open->open_rush);
  EXPECT_EQ(open->start_time, 85930);
  EXPECT_EQ(ParseServerArgs({"--start", "091000", "--open"}, error, help)->start_time, 91000);

  auto defaults = ParseServerArgs({}, error, help);
  ASSERT_TRUE(defaults);
  EXPECT_EQ(defaults->bind, "127.0.0.1");
  EXPECT_EQ(defaults->stocks, 2600);
  EXPECT_EQ(defaults->clock, ClockMode::kSim);
  EXPECT_FALSE(defaults->faults.garbage);
  EXPECT_FALSE(defaults->faults.short_book || defaults->alarm_now || defaults->open_rush);

  for (std::vector<std::string> bad : {std::vector<std::string>{"--port", "65536"},
                                       {"--port"},
                                       {"--stocks", "5"},
                                       {"--clock", "wall"},
                                       {"--speed", "-1"},
                                       {"--speed", "nan"},
                                       {"--start", "080000"},
                                       {"--start", "096000"},
                                       {"--date", "20230229"},
                                       {"--seed", "x1"},
                                       {"--frobnicate"},
                                       {"--users", "/nonexistent/users.txt"},
                                       {"--fault-drop", "0"}}) {
    EXPECT_FALSE(ParseServerArgs(bad, error, help)) << bad[0];
    EXPECT_FALSE(help);
    EXPECT_FALSE(error.empty());
  }
  EXPECT_FALSE(ParseServerArgs({"--help"}, error, help));
  EXPECT_TRUE(help);
  EXPECT_NE(error.find("--fault-split"), std::string::npos);
}

}  // namespace
}  // namespace velloran::server
