#pragma once
// A private session bus for a test (a dbus-daemon of its own, ended with the
// object) and a stand-in desktop notification service on it, which keeps the
// summary and body of every Notify call it answers.

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QString>
#include <csignal>
#include <cstdio>
#include <mutex>
#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

namespace velloran::testing_bus {

class PrivateBus {
 public:
  PrivateBus() {
    // The daemon forks into the background and prints where it listens and its process id.
    FILE* out = popen("dbus-daemon --session --fork --print-address=1 --print-pid=1 2>/dev/null", "r");
    if (out == nullptr) return;
    char line[512];
    if (std::fgets(line, sizeof line, out) != nullptr) address_ = Trim(line);
    if (std::fgets(line, sizeof line, out) != nullptr) pid_ = static_cast<pid_t>(std::atol(line));
    pclose(out);
  }
  ~PrivateBus() {
    if (pid_ > 0) kill(pid_, SIGTERM);
  }
  [[nodiscard]] bool running() const { return !address_.empty() && pid_ > 0; }
  [[nodiscard]] const std::string& address() const { return address_; }

 private:
  static std::string Trim(std::string s) {
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
    return s;
  }
  std::string address_;
  pid_t pid_ = 0;
};

// org.freedesktop.Notifications on the bus, answering each Notify with an id.
class NotificationService : public QDBusVirtualObject {
 public:
  explicit NotificationService(const std::string& address)
      : connection_(QDBusConnection::connectToBus(QString::fromStdString(address),
                                                  QStringLiteral("stand-in-notifications"))) {
    registered_ = connection_.isConnected() &&
                  connection_.registerVirtualObject(QStringLiteral("/org/freedesktop/Notifications"), this) &&
                  connection_.registerService(QStringLiteral("org.freedesktop.Notifications"));
  }
  ~NotificationService() override {
    connection_.unregisterObject(QStringLiteral("/org/freedesktop/Notifications"));
    QDBusConnection::disconnectFromBus(QStringLiteral("stand-in-notifications"));
  }
  [[nodiscard]] bool registered() const { return registered_; }

  struct Seen {
    QString app, icon, summary, body;
  };
  [[nodiscard]] std::vector<Seen> seen() const {
    std::lock_guard lock(mutex_);
    return seen_;
  }

  QString introspect(const QString&) const override { return {}; }
  bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
    if (message.member() != QStringLiteral("Notify") || message.arguments().size() != 8) return false;
    const QList<QVariant> args = message.arguments();
    {
      std::lock_guard lock(mutex_);
      seen_.push_back({args[0].toString(), args[2].toString(), args[3].toString(), args[4].toString()});
    }
    connection.send(message.createReply(QVariant::fromValue(1U)));
    return true;
  }

 private:
  QDBusConnection connection_;
  bool registered_ = false;
  mutable std::mutex mutex_;
  std::vector<Seen> seen_;
};

}  // namespace velloran::testing_bus
