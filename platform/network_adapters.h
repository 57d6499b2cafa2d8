#pragma once
// The system's list of network adapters with their hardware addresses, in
// the order the system gives them (interface index order), for the login's
// adapter address.

#include <cstdint>
#include <string>
#include <vector>

namespace velloran {

struct NetworkAdapter {
  std::string name;
  bool loopback = false;
  std::vector<std::uint8_t> hardware_address;  // empty when the adapter has none
};

// False with the system's error number when the list cannot be read.
[[nodiscard]] bool ListNetworkAdapters(std::vector<NetworkAdapter>& adapters, int& error);

// The error number the system gives for "no such device", for a list without
// a usable adapter.
[[nodiscard]] int NoDeviceError();

}  // namespace velloran
