// The demo server's text inputs from outside: login and replay form bodies,
// users files and command lines (the input split at NUL bytes into arguments).
#include <string>
#include <vector>

#include "fuzz/fuzz_seeds.h"
#include "server/form.h"
#include "server/http_pages.h"
#include "server/replay_replies.h"
#include "server/server_options.h"
#include "server/user_book.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velloran::server;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  static const Credentials users = {{"demo", "demo"}, {"a&b", "p w"}};
  const std::vector<FormField> form = ParseForm(text);
  for (const FormField& f : form) {
    if (PercentDecode(PercentEncode(f.value)) != f.value) __builtin_trap();
  }
  const std::string answer = LoginAnswer(text, users, false, "127.0.0.1", 1);
  if (answer.find("<RTN>") == std::string::npos) __builtin_trap();
  const ReplayRequest replay = ReadReplayForm(text);
  if (replay.type != u"HOGA" || replay.encoded() || replay.ix != 0) __builtin_trap();
  if (replay.seconds < 0 || replay.seconds >= 24 * 3600) __builtin_trap();
  std::string error;
  (void)ParseUsers(text, error);
  std::vector<std::string> args;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= size; ++i) {
    if (i == size || data[i] == 0) {
      std::string arg(text.substr(start, i - start));
      // Reading files named by the input is not what is fuzzed here.
      if (arg != "--users") args.push_back(std::move(arg));
      start = i + 1;
    }
  }
  bool help = false;
  (void)ParseServerArgs(args, error, help);
  return 0;
}

std::vector<std::string> FuzzSeeds() {
  return {"id=demo&pwd=demo&mac=001122334455",
          "shcode=000660&market=1&ymd=20260105&htime=080000", "shcode=%30&ymd=2026013&htime=99", "id=a%26b&pwd=p+w&mac=Error : 5 ",
          "id=%zz&pwd=%4&&=&mac", "demo demo\n# x\nkim  secret\r\n",
          std::string("--port\0" "0\0--speed\0" "1e3\0--date\0" "20260105\0--fault-split",
                      sizeof("--port\0" "0\0--speed\0" "1e3\0--date\0" "20260105\0--fault-split") - 1)};
}
