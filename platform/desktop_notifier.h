#pragma once
// A notification on the desktop (the freedesktop notification service over
// the session D-Bus): how a price alarm reaches the trader while another
// program's window is in front. Sending never waits for the service and
// never fails loudly: without a session bus, or with no service on it,
// nothing is shown.

#include <memory>
#include <string>

namespace velloran {

class DesktopNotifier {
 public:
  // bus_address: a bus to use instead of the session bus
  // (DBUS_SESSION_BUS_ADDRESS), for tests.
  explicit DesktopNotifier(std::string bus_address = {});
  ~DesktopNotifier();
  DesktopNotifier(const DesktopNotifier&) = delete;
  DesktopNotifier& operator=(const DesktopNotifier&) = delete;

  // Hands the notification to the bus; false when there is no bus to hand
  // it to. The first call connects.
  bool Notify(const std::u16string& summary, const std::u16string& body);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace velloran
