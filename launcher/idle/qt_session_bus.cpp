// The idle watcher's session-bus parts; see qt_session_bus.h.
#include "qt_session_bus.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QVariant>
#include <cstdlib>
#include <filesystem>

namespace orveline {

namespace {

constexpr char kMonitorService[] = "org.gnome.Mutter.IdleMonitor";
constexpr char kMonitorPath[] = "/org/gnome/Mutter/IdleMonitor/Core";
constexpr char kMonitorInterface[] = "org.gnome.Mutter.IdleMonitor";
// A bus call that hangs must not hold the watcher up.
constexpr int kCallTimeoutMs = 2000;
// GsmInhibitorFlag: idle.
constexpr uint kInhibitIdle = 8;

bool serviceOnBus(const char* name) {
    if (!SessionBusKnown()) return false;
    const QDBusConnection bus = QDBusConnection::sessionBus();
    return bus.isConnected() &&
           bus.interface()->isServiceRegistered(QString::fromLatin1(name)).value();
}

}  // namespace

bool SessionBusKnown() {
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (address && address[0] != '\0') return true;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::error_code error;
    return runtime && runtime[0] == '/' &&
           std::filesystem::is_socket(std::filesystem::path(runtime) / "bus", error);
}

bool SessionIdleInhibited() {
    if (!serviceOnBus("org.gnome.SessionManager")) return false;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.gnome.SessionManager"), QStringLiteral("/org/gnome/SessionManager"),
        QStringLiteral("org.gnome.SessionManager"), QStringLiteral("IsInhibited"));
    call << kInhibitIdle;
    const QDBusMessage reply =
        QDBusConnection::sessionBus().call(call, QDBus::Block, kCallTimeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() &&
           reply.arguments().first().toBool();
}

bool MateScreensaverRunning() {
    return serviceOnBus("org.mate.ScreenSaver");
}

std::unique_ptr<MutterIdleSource> MutterIdleSource::Connect(std::uint64_t timeoutMs,
                                                            std::function<void()> onIdle,
                                                            std::function<void()> onActive,
                                                            std::function<void()> onGone) {
    if (!serviceOnBus(kMonitorService)) return nullptr;
    auto source = std::make_unique<MutterIdleSource>(std::move(onIdle), std::move(onActive),
                                                     std::move(onGone));
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.connect(kMonitorService, kMonitorPath, kMonitorInterface, QStringLiteral("WatchFired"),
                     source.get(), SLOT(watchFired(uint))) ||
        !source->addWatch("AddIdleWatch", timeoutMs, source->idleWatch_)) {
        return nullptr;
    }
    source->monitorWatcher_ = std::make_unique<QDBusServiceWatcher>(
        kMonitorService, bus, QDBusServiceWatcher::WatchForUnregistration);
    QObject::connect(source->monitorWatcher_.get(), &QDBusServiceWatcher::serviceUnregistered,
                     source.get(), &MutterIdleSource::monitorGone);
    return source;
}

MutterIdleSource::MutterIdleSource(std::function<void()> onIdle, std::function<void()> onActive,
                                   std::function<void()> onGone)
    : onIdle_(std::move(onIdle)), onActive_(std::move(onActive)), onGone_(std::move(onGone)) {}

MutterIdleSource::~MutterIdleSource() = default;

bool MutterIdleSource::addWatch(const char* method, std::uint64_t argument, uint& id) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        kMonitorService, kMonitorPath, kMonitorInterface, QString::fromLatin1(method));
    if (argument != 0) call << static_cast<qulonglong>(argument);
    const QDBusMessage reply =
        QDBusConnection::sessionBus().call(call, QDBus::Block, kCallTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return false;
    id = reply.arguments().first().toUInt();
    return true;
}

void MutterIdleSource::watchFired(uint id) {
    if (id == 0) return;
    if (id == idleWatch_) {
        // One-shot: the user-active watch ends itself when it fires.
        if (activeWatch_ == 0) addWatch("AddUserActiveWatch", 0, activeWatch_);
        onIdle_();
    } else if (id == activeWatch_) {
        activeWatch_ = 0;
        onActive_();
    }
}

void MutterIdleSource::monitorGone() {
    onGone_();
}

}  // namespace orveline
