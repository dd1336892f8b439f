#include "container/StartupFiles.h"

#include "container/EmbeddedFiles.h"
#include "platform/Home.h"

namespace StartupFiles {

TickResult validatorTick(const QString& home, const TFileSource& dllContainer,
                         const TFileSource& databaseContainer)
{
    TickResult result;
    result.libraryInPlace = EmbeddedFiles::copyIfMissing(
        dllContainer, Home::file(home, QLatin1String(LibraryFileName)));
    result.songTableInPlace = EmbeddedFiles::copyIfMissing(
        databaseContainer, Home::file(home, QLatin1String(SongTableFileName)));
    return result;
}

} // namespace StartupFiles
