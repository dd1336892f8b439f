#include "app/ui/AppServices.h"
#include "app/ui/MainWindow.h"
#include "app/ui/TamboroApplication.h"
#include "platform/Clock.h"
#include "platform/GioDesktopOpener.h"
#include "platform/GioShellVerbs.h"
#include "platform/Home.h"
#include "platform/Volumes.h"
#include "settings/SettingsStore.h"
#include "ui/QtDialogs.h"

#include <QDir>
#include <QScreen>
#include <QSystemTrayIcon>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// Qt wants a private runtime folder and complains on stderr when the session has none (a
// plain X server, a root shell): give it one of our own before it looks.
void ensureRuntimeDir()
{
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        return;
    const QString dir = QDir::tempPath() + QStringLiteral("/tamboro3-runtime-%1").arg(getuid());
    const QByteArray path = QFile::encodeName(dir);
    ::mkdir(path.constData(), 0700);
    struct stat info
    {};
    if (::stat(path.constData(), &info) == 0 && info.st_uid == getuid() &&
        (info.st_mode & 0777) == 0700)
        qputenv("XDG_RUNTIME_DIR", path);
}

} // namespace

int main(int argc, char** argv)
{
    ensureRuntimeDir();
    // Made before the application object, so that they outlive every event it delivers.
    QtDialogs dialogs;
    TamboroApplication app(argc, argv);
    app.setDialogs(&dialogs);

    SettingsStore settings;
    SystemVolumes volumes;
    GioShellVerbs shellVerbs;
    GioDesktopOpener desktopOpener;
    SystemClock clock;

    AppServices services;
    services.home = Home::ensure(Home::defaultPath());
    services.settings = &settings;
    services.dialogs = &dialogs;
    services.volumes = &volumes;
    services.shellVerbs = &shellVerbs;
    services.desktopOpener = &desktopOpener;
    services.clock = &clock;
    services.trayAvailable = QSystemTrayIcon::isSystemTrayAvailable();

    MainWindow window(services);
    // Window managers that ignore the maximised state still get a window filling the screen.
    window.setGeometry(window.screen()->availableGeometry());
    window.showMaximized();
    return QApplication::exec();
}
