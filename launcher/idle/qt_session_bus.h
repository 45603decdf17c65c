// The idle watcher's parts on the session bus (QtDBus): mutter's idle monitor as the idle source
// on GNOME, the session manager's idle inhibit flag, and whether the MATE screensaver runs.
#pragma once

#include <QObject>
#include <cstdint>
#include <functional>
#include <memory>

class QDBusServiceWatcher;

namespace orveline {

// Whether the environment names a session bus. NOTE: without one, the bus library would try to
// start a bus of its own for the X display (autolaunch), which would outlive us.
bool SessionBusKnown();

// Whether the session manager (org.gnome.SessionManager: GNOME's, MATE's) holds idleness off
// now; not when there is none.
bool SessionIdleInhibited();

// Whether the MATE screensaver's daemon is on the bus.
bool MateScreensaverRunning();

// Mutter's org.gnome.Mutter.IdleMonitor: an idle watch fires once per idle spell; after it, a
// user-active watch says when the user is back. Nothing is polled.
class MutterIdleSource : public QObject {
    Q_OBJECT

  public:
    // Nothing when the bus has no idle monitor or it refuses the watch.
    static std::unique_ptr<MutterIdleSource> Connect(std::uint64_t timeoutMs,
                                                     std::function<void()> onIdle,
                                                     std::function<void()> onActive,
                                                     std::function<void()> onGone);
    MutterIdleSource(std::function<void()> onIdle, std::function<void()> onActive,
                     std::function<void()> onGone);
    ~MutterIdleSource() override;

  private slots:
    void watchFired(uint id);
    void monitorGone();

  private:
    bool addWatch(const char* method, std::uint64_t argument, uint& id);

    std::function<void()> onIdle_;
    std::function<void()> onActive_;
    std::function<void()> onGone_;
    uint idleWatch_ = 0;
    uint activeWatch_ = 0;
    std::unique_ptr<QDBusServiceWatcher> monitorWatcher_;
};

}  // namespace orveline
