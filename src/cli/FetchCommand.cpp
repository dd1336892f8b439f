#include "cli/Commands.h"

#include "db/TextCodec.h"
#include "net/DownloadQueue.h"
#include "net/ShareCatalogue.h"
#include "net/SharingClient.h"
#include "net/SharingSettings.h"
#include "settings/SettingsStore.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QTimer>

#include <cstdio>
#include <unistd.h>

// One download through the whole exchange with a personal server: the request, its queue
// messages and the file, written to TARGET only once it is whole.
int runFetchCommand(CliContext& context, const QStringList& args)
{
    const CliArgs parsed = parseCliArgs(
        args, {}, {QStringLiteral("--server"), QStringLiteral("--bind"), QStringLiteral("--wait")});
    if (parsed.positional.size() != 2 || !parsed.has(QStringLiteral("--server")))
        throw CliUsageError(
            QStringLiteral("fetch needs --server HOST, the file's name on the server and a "
                           "target file"));
    SettingsStore store;
    SharingSettings settings = SharingSettings::from(store);
    if (parsed.has(QStringLiteral("--bind")))
        settings.address =
            addressFromText(parsed.value(QStringLiteral("--bind")), QStringLiteral("--bind"));
    const int waitSeconds = waitSecondsOption(parsed, 600);
    const QString remote = parsed.positional[0];
    const QString target = QFileInfo(parsed.positional[1]).absoluteFilePath();

    SharingClient sharing(settings);
    DownloadQueue queue(sharing);
    QEventLoop loop;
    int code = 1;
    const bool terminal = ::isatty(fileno(stderr)) != 0;
    QString lastStatus;
    QObject::connect(&queue, &DownloadQueue::currentChanged, &loop, [&] {
        const CurrentDownload& current = queue.current();
        if (current.status != lastStatus && current.status != QLatin1String("n/a")) {
            lastStatus = current.status;
            context.err << (terminal ? "\r" : "") << current.status << '\n';
        }
        if (terminal && current.status == QLatin1String("Downloading..."))
            context.err << '\r' << current.percent << "%  " << current.speed << "    ";
        context.err.flush();
    });
    QObject::connect(&queue, &DownloadQueue::downloadEnded, &loop,
                     [&](const DownloadEntry& entry, const QString& reason) {
                         if (terminal)
                             context.err << '\n';
                         if (reason.isEmpty()) {
                             context.out << "stored: " << entry.toFile << '\n';
                             code = 0;
                         } else {
                             context.err << "The download failed: " << reason << '\n';
                         }
                         loop.quit();
                     });
    QTimer giveUp;
    giveUp.setSingleShot(true);
    QObject::connect(&giveUp, &QTimer::timeout, &loop, [&] {
        context.err << "The server did not send the file within " << waitSeconds << " seconds\n";
        loop.quit();
    });
    // The server knows the file by its name in the form its song table keeps it.
    queue.add({ShareCatalogue::wireText(TextCodec::reFilter(remote)),
               parsed.value(QStringLiteral("--server")), target});
    giveUp.start(waitSeconds * 1000);
    loop.exec();
    context.out.flush();
    context.err.flush();
    return code;
}
