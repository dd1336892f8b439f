#include "cli/Commands.h"
#include "cli/StopSignals.h"
#include "db/SongDatabase.h"
#include "net/PersonalServer.h"
#include "net/SharingSettings.h"
#include "platform/Errors.h"
#include "settings/SettingsStore.h"

#include <QCoreApplication>
#include <QSqlQuery>

// The personal sharing server on this home's song table, until SIGINT or SIGTERM.
int runShareCommand(CliContext& context, const QStringList& args)
{
    // Before any thread is started, so that every thread leaves the signals to the loop.
    StopSignals stopSignals;
    const CliArgs parsed = parseCliArgs(
        args, {},
        {QStringLiteral("--bind"), QStringLiteral("--port"), QStringLiteral("--central")});
    if (!parsed.positional.isEmpty())
        throw CliUsageError(QStringLiteral("share takes no arguments besides its options"));

    PersonalServer::Options options;
    options.ports = SharingSettings::from(SettingsStore());
    options.port = options.ports.personalPort;
    try {
        if (parsed.has(QStringLiteral("--bind")))
            options.bindAddress =
                addressFromText(parsed.value(QStringLiteral("--bind")), QStringLiteral("--bind"));
        if (parsed.has(QStringLiteral("--port")))
            options.port =
                portFromText(parsed.value(QStringLiteral("--port")), QStringLiteral("--port"));
    } catch (const EConvertError& error) {
        throw CliUsageError(error.message());
    }
    options.centralHost = parsed.value(QStringLiteral("--central"));

    SongDatabase database(context.home);
    QSqlQuery count =
        database.execute(QStringLiteral("select count(*) from tamboro where location like \"%!\""));
    const qint64 songs = count.next() ? count.value(0).toLongLong() : 0;
    count.finish();

    PersonalServer server(database, options);
    QObject::connect(&server, &PersonalServer::logLine, &server, [&context](const QString& line) {
        context.err << line << "\n";
        context.err.flush();
    });
    const QString where =
        QStringLiteral("%1:%2").arg(options.bindAddress.toString()).arg(options.port);
    if (!server.start()) {
        context.err << "Cannot listen on " << where << ": " << server.errorString() << "\n";
        return 1;
    }
    context.out << "Sharing " << songs << " hard-disk songs of " << context.home << " on " << where
                << (options.centralHost.isEmpty()
                        ? QString()
                        : QStringLiteral(", registered with ") + options.centralHost)
                << "\n";
    context.out.flush();

    QObject::connect(&stopSignals, &StopSignals::received, qApp, &QCoreApplication::quit);
    QCoreApplication::exec();
    server.stop();
    context.err << "Stopped sharing.\n";
    return 0;
}
