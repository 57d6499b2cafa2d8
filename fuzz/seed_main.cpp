// Writes the seed corpus of one fuzz target: seeds_<name> DIR writes each of
// FuzzSeeds() to DIR/seed_<n>.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "fuzz/fuzz_seeds.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
    return 2;
  }
  const std::vector<std::string> seeds = FuzzSeeds();
  for (std::size_t i = 0; i < seeds.size(); ++i) {
    std::ofstream out(std::string(argv[1]) + "/seed_" + std::to_string(i), std::ios::binary);
    out.write(seeds[i].data(), static_cast<std::streamsize>(seeds[i].size()));
  }
  return 0;
}
