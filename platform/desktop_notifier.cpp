#include "platform/desktop_notifier.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QStringList>
#include <QVariantMap>
#include <atomic>
#include <cstdlib>

#include "platform/qt_text.h"

namespace velloran {
namespace {

constexpr char kService[] = "org.freedesktop.Notifications";
constexpr char kPath[] = "/org/freedesktop/Notifications";
constexpr int kExpireMs = 8000;

// Each notifier's connection needs a name of its own in Qt's registry.
QString NextConnectionName() {
  static std::atomic<int> serial{0};
  return QStringLiteral("velloran-notifier-%1").arg(++serial);
}

}  // namespace

struct DesktopNotifier::Impl {
  std::string address;
  QString name;
  bool tried = false;
  bool connected = false;
};

DesktopNotifier::DesktopNotifier(std::string bus_address) : impl_(std::make_unique<Impl>()) {
  impl_->address = std::move(bus_address);
}

DesktopNotifier::~DesktopNotifier() {
  if (impl_->connected) QDBusConnection::disconnectFromBus(impl_->name);
}

bool DesktopNotifier::Notify(const std::u16string& summary, const std::u16string& body) {
  if (!impl_->tried) {
    impl_->tried = true;
    std::string address = impl_->address;
    if (address.empty()) {
      // Without an address libdbus would try to start a bus of its own
      // (autolaunch); a desktop session always sets it.
      const char* session = std::getenv("DBUS_SESSION_BUS_ADDRESS");
      if (session != nullptr) address = session;
    }
    if (!address.empty()) {
      impl_->name = NextConnectionName();
      const QDBusConnection bus =
          QDBusConnection::connectToBus(QString::fromStdString(address), impl_->name);
      impl_->connected = bus.isConnected();
      if (!impl_->connected) QDBusConnection::disconnectFromBus(impl_->name);
    }
  }
  if (!impl_->connected) return false;
  QDBusConnection bus(impl_->name);
  if (!bus.isConnected()) return false;
  QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kService, "Notify");
  QVariantMap hints;
  hints.insert("desktop-entry", QStringLiteral("velloran"));
  hints.insert("category", QStringLiteral("x-velloran.alarm"));
  call << QStringLiteral("Velloran") << 0U << QStringLiteral("velloran") << ToQString(summary)
       << ToQString(body) << QStringList() << hints << kExpireMs;
  // No reply is awaited: a slow or missing service never holds the caller.
  call.setAutoStartService(false);
  return bus.send(call);
}

}  // namespace velloran
