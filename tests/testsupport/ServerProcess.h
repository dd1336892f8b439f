#pragma once

#include "testsupport/Eventually.h"
#include "testsupport/TempHome.h"

#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>

#include <signal.h>

// A running tamboro3-cli server command on a home of its own; ended with SIGTERM when the
// test has not ended it.
class ServerProcess
{
public:
    ServerProcess(const TempHome& home, const QStringList& args)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TAMBORO_HOME"), home.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), QFileInfo(home.settingsFile()).path());
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(T3_BINARY_DIR "/bin/tamboro3-cli"), args);
    }
    ~ServerProcess()
    {
        if (process.state() == QProcess::NotRunning)
            return;
        ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
        if (!process.waitForFinished(5000))
            process.kill();
        process.waitForFinished(5000);
    }

    // Waits for the line the command prints once it listens.
    bool started()
    {
        using namespace std::chrono_literals;
        return eventually(
                   [this] {
                       out += process.readAllStandardOutput();
                       return out.contains('\n') || process.state() == QProcess::NotRunning;
                   },
                   10s) &&
               process.state() == QProcess::Running;
    }
    // What it logged so far.
    const QByteArray& err()
    {
        errText += process.readAllStandardError();
        return errText;
    }
    int count(const char* part) { return static_cast<int>(err().count(part)); }

    QProcess process;
    QByteArray out;
    QByteArray errText;
};

// What a server process printed, for a failure message.
inline QByteArray failureText(ServerProcess& server)
{
    return server.out + server.err();
}
