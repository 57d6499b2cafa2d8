// The workspace file as stored text: any bytes must read as a workspace
// whose values lie in their ranges, and what it reads must save and read
// back the same.
#include <cstdlib>
#include <string_view>

#include "app/workspace_file.h"
#include "fuzz/fuzz_seeds.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velloran;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  bool damaged = false;
  const Workspace w = DecodeWorkspace(bytes, &damaged);
  if (damaged && !(w == Workspace{})) std::abort();
  if (w.display_mode < 0 || w.display_mode > 1 || w.market < 0 || w.market > 2) std::abort();
  if (w.screen < 3004 || w.screen > 3007 || w.replay_speed < 1 || w.replay_speed > 128) std::abort();
  if (w.outer_share > 1 || w.left_share > 1 || w.right_share > 1 || w.charts_share > 1) std::abort();
  bool again = true;
  if (!(DecodeWorkspace(EncodeWorkspace(w), &again) == w) || again) std::abort();
  return 0;
}

std::vector<std::string> FuzzSeeds() {
  velloran::Workspace w;
  w.window = {10, 20, 1210, 920};
  w.outer_share = 0.4;
  w.charts[1].type = u"m30";
  return {
      velloran::EncodeWorkspace(velloran::Workspace{}),
      velloran::EncodeWorkspace(w),
      "window=1,2,3\nscreen=9999\nchart1.averages=10101\nreplay.speed=64\n",
      std::string("mode=1\r\n\0\xff", 10),
  };
}
