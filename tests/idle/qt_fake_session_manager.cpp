// A stand-in for GNOME's session manager on the session bus, for the idle watcher's test:
// org.gnome.SessionManager.IsInhibited(flags) answers true for the idle flag (8) while the file
// named by the first argument exists.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QFile>
#include <QObject>
#include <cstdio>

class SessionManager : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.gnome.SessionManager")

  public:
    explicit SessionManager(QString flagFile) : flagFile_(std::move(flagFile)) {}

  public slots:
    bool IsInhibited(uint flags) { return (flags & 8) != 0 && QFile::exists(flagFile_); }

  private:
    QString flagFile_;
};

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: qt_fake_session_manager FLAG-FILE\n");
        return 2;
    }
    SessionManager manager(QString::fromLocal8Bit(argv[1]));
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject("/org/gnome/SessionManager", &manager,
                            QDBusConnection::ExportAllSlots) ||
        !bus.registerService("org.gnome.SessionManager")) {
        std::fprintf(stderr, "qt_fake_session_manager: cannot take the name on the bus\n");
        return 1;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    return QCoreApplication::exec();
}

#include "qt_fake_session_manager.moc"
