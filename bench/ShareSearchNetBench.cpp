// A search answered by a running personal server over the 100,000-song corpus of the list
// benchmark, on loopback: the time from posting "SEARCH$" to the server's "SEARCHRES$" arriving
// at the asker's result port, as a user waits for it. The asker and the server each have a
// loopback address of their own, like two computers. For a common word (the answer is full
// long before the table ends) and a rare one (a handful of songs); median and slowest of the
// runs after one untimed run. Goal: at most 50 ms.
//
//   ShareSearchNetBench [CORPUS-DIR]   (the corpus is made on the first run and kept)
#include "ListCorpus.h"
#include "NetBenchSupport.h"
#include "net/PersonalServer.h"
#include "net/TNMMSGServ.h"
#include "net/TNMMsg.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFileInfo>

using namespace ListCorpus;

namespace {

constexpr int runs = 20;
constexpr double goalMs = 50.0;

struct Search
{
    const char* name;
    QString text;
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    const QString dir = args.isEmpty() ? QStringLiteral(T3_LIST_CORPUS) : args.first();
    try {
        if (!QFileInfo::exists(stampFile(dir)))
            makeCorpus(dir);
        SongDatabase db(QDir(dir).filePath(QStringLiteral("home")));

        PersonalServer::Options options;
        options.bindAddress = NetBench::loopback(2);
        PersonalServer server(db, options);
        if (!server.start())
            throw TamboroError(server.errorString());

        const QHostAddress asker = NetBench::loopback(3);
        TNMMSGServ results;
        results.BindAddress = asker;
        results.Port = options.ports.resultPort;
        QString answer;
        bool answered = false;
        QObject::connect(&results, &TNMMSGServ::OnMSG, &results,
                         [&](const QString&, const QString& text, const QString&) {
                             answer = text;
                             answered = true;
                         });
        if (!results.listen())
            throw TamboroError(results.errorString());

        const auto ask = [&](const QString& text) {
            answered = false;
            TNMMsg client;
            client.Host = options.bindAddress.toString();
            client.Port = options.port;
            client.LocalAddress = asker;
            const auto start = std::chrono::steady_clock::now();
            client.PostText(text);
            const QDeadlineTimer deadline(10000);
            while (!answered && !deadline.hasExpired())
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
            if (!answered)
                throw TamboroError(QStringLiteral("No answer within 10 s"));
            return secondsSince(start) * 1000.0;
        };

        const Search searches[] = {
            {"common word", QStringLiteral("SEARCH$$love")},
            {"rare", QStringLiteral("SEARCH$1999$dream")},
        };
        std::printf("Search answered by a running personal server over %d songs, loopback, "
                    "%d runs each (goal: at most %.0f ms)\n",
                    songCount, runs, goalMs);
        std::printf("%-12s %-20s %8s %8s %11s %9s\n", "search", "message", "records", "bytes",
                    "median ms", "max ms");
        bool met = true;
        for (const Search& search : searches) {
            ask(search.text);
            std::vector<double> times;
            for (int run = 0; run < runs; ++run)
                times.push_back(ask(search.text));
            const double slowest = *std::max_element(times.begin(), times.end());
            met = met && slowest <= goalMs;
            const qsizetype records = answer.count(QLatin1Char('|')) / 10;
            std::printf("%-12s %-20s %8lld %8lld %11.2f %9.2f\n", search.name,
                        qPrintable(search.text), static_cast<long long>(records),
                        static_cast<long long>(answer.toUtf8().size()), median(times), slowest);
        }
        std::printf("%s\n", met ? "Every search within the goal." : "GOAL MISSED.");
        server.stop();
        return 0;
    } catch (const TamboroError& error) {
        std::fprintf(stderr, "%s\n", qPrintable(error.message()));
        return 1;
    }
}
