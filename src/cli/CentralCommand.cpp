#include "cli/Commands.h"
#include "cli/StopSignals.h"
#include "net/CentralServer.h"
#include "net/SharingSettings.h"
#include "platform/Errors.h"
#include "settings/SettingsStore.h"

#include <QCoreApplication>

// The central sharing server, until SIGINT or SIGTERM.
int runCentralCommand(CliContext& context, const QStringList& args)
{
    // Before any thread is started, so that every thread leaves the signals to the loop.
    StopSignals stopSignals;
    const CliArgs parsed = parseCliArgs(
        args, {}, {QStringLiteral("--bind"), QStringLiteral("--port"), QStringLiteral("--peer")});
    if (!parsed.positional.isEmpty())
        throw CliUsageError(QStringLiteral("central takes no arguments besides its options"));

    CentralServer::Options options;
    options.ports = SharingSettings::from(SettingsStore());
    options.port = options.ports.centralPort;
    try {
        for (const auto& [name, value] : parsed.options) {
            if (name == QLatin1String("--bind")) {
                options.bindAddress = addressFromText(value, name);
            } else if (name == QLatin1String("--port")) {
                options.port = portFromText(value, name);
            } else if (name == QLatin1String("--peer")) {
                const qsizetype colon = value.indexOf(QLatin1Char(':'));
                CentralServer::Peer peer;
                peer.address = addressFromText(colon < 0 ? value : value.left(colon), name);
                if (peer.address.protocol() != QAbstractSocket::IPv4Protocol)
                    throw EConvertError(
                        QStringLiteral("'%1' is not an IPv4 address for --peer").arg(value));
                peer.port = colon < 0 ? options.ports.personalPort
                                      : portFromText(value.mid(colon + 1), name);
                options.peers.push_back(peer);
            }
        }
    } catch (const EConvertError& error) {
        throw CliUsageError(error.message());
    }

    CentralServer server(options);
    QObject::connect(&server, &CentralServer::logLine, &server, [&context](const QString& line) {
        context.err << line << "\n";
        context.err.flush();
    });
    if (!server.start()) {
        context.err << "Cannot listen on " << server.errorString() << "\n";
        return 1;
    }
    context.out << "Central server on " << options.bindAddress.toString() << ":" << options.port
                << ", answers from personal servers on port " << options.ports.centralResultPort
                << ", " << options.peers.size() << " fixed peers\n";
    context.out.flush();

    QObject::connect(&stopSignals, &StopSignals::received, qApp, &QCoreApplication::quit);
    QCoreApplication::exec();
    server.stop();
    context.err << "Stopped the central server.\n";
    return 0;
}
