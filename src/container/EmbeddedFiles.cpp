#include "container/EmbeddedFiles.h"

#include "container/TFileSource.h"
#include "platform/Errors.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

namespace EmbeddedFiles {

const Definition DllContainer{"DllContainer", ".so", false, ":/embedded/DllContainer.bin"};
const Definition DatabaseContainer{"DatabaseContainer", ".DB", false,
                                   ":/embedded/DatabaseContainer.bin"};
const Definition DLAni{"DLAni", ".gif", false, ":/embedded/DLAniContainer.bin"};

std::unique_ptr<TFileSource> load(const Definition& file, Clock& clock, const QString& tempDir)
{
    QFile image(QString::fromLatin1(file.resource));
    if (!image.open(QIODevice::ReadOnly))
        throw EInOutError(QStringLiteral("The program does not carry the file %1")
                              .arg(QString::fromLatin1(file.name)));
    auto container = std::make_unique<TFileSource>(clock, tempDir);
    container->setObjectName(QString::fromLatin1(file.name));
    container->setExtension(QString::fromLatin1(file.extension));
    container->setStore(true);
    container->setCompress(file.compressed);
    container->loadFileData(image);
    return container;
}

bool copyIfMissing(const TFileSource& container, const QString& target)
{
    if (QFileInfo::exists(target))
        return true;
    const QString source = container.fileName();
    if (source.isEmpty())
        return false;

    QFile in(source);
    QTemporaryFile part(target + QStringLiteral(".part-XXXXXX"));
    if (!in.open(QIODevice::ReadOnly) || !part.open())
        return false;
    char buffer[64 * 1024];
    for (;;) {
        const qint64 n = in.read(buffer, sizeof buffer);
        if (n < 0)
            return false;
        if (n == 0)
            break;
        if (part.write(buffer, n) != n)
            return false;
    }
    if (!part.flush())
        return false;
    // rename() never replaces an existing file: if one appeared meanwhile, it is kept.
    if (part.rename(target)) {
        part.setAutoRemove(false);
        return true;
    }
    return QFileInfo::exists(target);
}

} // namespace EmbeddedFiles
