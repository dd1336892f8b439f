// Build-time tool: writes the empty song table that the programs carry inside them and write
// out as the user's first song table.
#include "db/SongDatabase.h"
#include "platform/Errors.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 2) {
        std::fprintf(stderr, "Usage: t3_mktemplate OUT\n");
        return 2;
    }
    const QString out = args.at(1);
    if (QFile::exists(out) && !QFile::remove(out)) {
        std::fprintf(stderr, "Cannot replace %s\n", qPrintable(out));
        return 1;
    }
    try {
        SongDatabase::createSongTable(out);
    } catch (const TamboroError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
