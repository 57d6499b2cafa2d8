#pragma once
// Each fuzz target defines its seed inputs; with VELLORAN_SEEDS_ONLY the
// target's LLVMFuzzerTestOneInput is still compiled but only the seeds are used.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

std::vector<std::string> FuzzSeeds();
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
