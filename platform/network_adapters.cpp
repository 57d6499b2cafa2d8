#include "platform/network_adapters.h"

#include <ifaddrs.h>
#include <linux/if_packet.h>
#include <net/if.h>
#include <sys/socket.h>

#include <cerrno>

namespace velloran {

bool ListNetworkAdapters(std::vector<NetworkAdapter>& adapters, int& error) {
  adapters.clear();
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) != 0) {
    error = errno;
    return false;
  }
  // Each adapter appears once as a link-layer (AF_PACKET) entry.
  for (const ifaddrs* a = list; a; a = a->ifa_next) {
    if (!a->ifa_addr || a->ifa_addr->sa_family != AF_PACKET) continue;
    const auto* link = reinterpret_cast<const sockaddr_ll*>(a->ifa_addr);
    NetworkAdapter adapter;
    adapter.name = a->ifa_name ? a->ifa_name : "";
    adapter.loopback = (a->ifa_flags & IFF_LOOPBACK) != 0;
    const std::size_t length = link->sll_halen <= sizeof link->sll_addr ? link->sll_halen : 0;
    adapter.hardware_address.assign(link->sll_addr, link->sll_addr + length);
    adapters.push_back(std::move(adapter));
  }
  freeifaddrs(list);
  error = 0;
  return true;
}

int NoDeviceError() {
  return ENODEV;
}

}  // namespace velloran
