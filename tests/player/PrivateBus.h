#pragma once

#include <QByteArray>
#include <QDBusConnection>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>

#include <csignal>
#include <sys/prctl.h>

// A session bus of the test's own: a dbus-daemon listening in a temporary folder, so that tests
// running side by side (and the desktop's own bus) never meet. The daemon ends with the object,
// and with the test program should that die first.
class PrivateBus
{
public:
    static QString daemonProgram() { return QStandardPaths::findExecutable("dbus-daemon"); }

    PrivateBus() = default;
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    ~PrivateBus()
    {
        for (const QString& name : std::as_const(m_connections))
            QDBusConnection::disconnectFromBus(name);
        if (m_daemon.state() != QProcess::NotRunning) {
            m_daemon.kill();
            m_daemon.waitForFinished(5000);
        }
    }

    // Starts the daemon and waits (a few seconds at most) for the address it listens on. An
    // empty text when it started; else what went wrong.
    QString start()
    {
        // A configuration of its own: the system's session configuration may be missing, and
        // its drop-in files are none of the test's business.
        const QString socket = QDir(m_dir.path()).filePath(QStringLiteral("bus"));
        const QString config = QDir(m_dir.path()).filePath(QStringLiteral("bus.conf"));
        QFile configFile(config);
        if (!configFile.open(QIODevice::WriteOnly) ||
            configFile.write(
                QStringLiteral("<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus "
                               "Bus Configuration 1.0//EN\" "
                               "\"http://www.freedesktop.org/standards/dbus/1.0/"
                               "busconfig.dtd\">\n"
                               "<busconfig><type>session</type>"
                               "<listen>unix:path=%1</listen>"
                               "<policy context=\"default\">"
                               "<allow send_destination=\"*\" eavesdrop=\"true\"/>"
                               "<allow eavesdrop=\"true\"/><allow own=\"*\"/>"
                               "</policy></busconfig>\n")
                    .arg(socket.toHtmlEscaped())
                    .toUtf8()) < 0)
            return QStringLiteral("cannot write ") + config;
        configFile.close();
        m_daemon.setProgram(daemonProgram());
        m_daemon.setArguments({QStringLiteral("--config-file=") + config,
                               QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
        m_daemon.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
        m_daemon.start();
        if (!m_daemon.waitForStarted(5000))
            return QStringLiteral("dbus-daemon did not start: ") + m_daemon.errorString();
        QByteArray printed;
        const QDeadlineTimer deadline(5000);
        while (!printed.contains('\n')) {
            if (deadline.hasExpired() || !m_daemon.waitForReadyRead(int(deadline.remainingTime())))
                return QStringLiteral("dbus-daemon printed no address: ") +
                       QString::fromLocal8Bit(m_daemon.readAllStandardError());
            printed += m_daemon.readAllStandardOutput();
        }
        m_address = QString::fromLocal8Bit(printed.left(printed.indexOf('\n'))).trimmed();
        return QString();
    }

    QString address() const { return m_address; }

    // A connection of its own to the bus, under `name` in this process.
    QDBusConnection connect(const QString& name)
    {
        m_connections.append(name);
        return QDBusConnection::connectToBus(m_address, name);
    }

private:
    QTemporaryDir m_dir;
    QProcess m_daemon;
    QString m_address;
    QStringList m_connections;
};
