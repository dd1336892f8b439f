#include "TagTestFiles.h"

#include "testsupport/TempHome.h"

#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

TagTestFiles::TagTestFiles() = default;

QString TagTestFiles::path(const QString& name) const
{
    return m_dir.filePath(name);
}

QString TagTestFiles::copy(const QString& fixture, const QString& name) const
{
    return write(name, fixtureBytes(fixture));
}

QString TagTestFiles::write(const QString& name, const QByteArray& bytes) const
{
    const QString target = path(name);
    QFile file(target);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        qFatal("cannot write test file %s", qPrintable(target));
    return target;
}

QByteArray readFileBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read test file %s", qPrintable(path));
    return file.readAll();
}

QByteArray fixtureBytes(const QString& fixture)
{
    return readFileBytes(testDataPath(QStringLiteral("id3v1/") + fixture));
}

QByteArray makeTagBlock(const QByteArray& title, const QByteArray& artist, const QByteArray& album,
                        const QByteArray& year, const QByteArray& comment, quint8 genre, char pad)
{
    const auto slot = [pad](const QByteArray& text, int width) {
        return text.left(width) + QByteArray(qMax<qsizetype>(0, width - text.size()), pad);
    };
    QByteArray block = "TAG" + slot(title, 30) + slot(artist, 30) + slot(album, 30) +
                       slot(year, 4) + slot(comment, 30);
    block.append(static_cast<char>(genre));
    Q_ASSERT(block.size() == 128);
    return block;
}

namespace {

bool setImmutable(const QString& path, bool on)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK);
    if (fd < 0)
        return false;
    int flags = 0;
    bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (done) {
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return done;
}

} // namespace

ReadOnlyFile::ReadOnlyFile(QString path)
    : m_path(std::move(path))
{
    QFile::setPermissions(m_path,
                          QFile::ReadOwner | QFile::ReadUser | QFile::ReadGroup | QFile::ReadOther);
    if (::geteuid() == 0)
        m_immutable = setImmutable(m_path, true);
}

ReadOnlyFile::~ReadOnlyFile()
{
    if (m_immutable)
        setImmutable(m_path, false);
    QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser |
                                      QFile::WriteUser | QFile::ReadGroup | QFile::ReadOther);
}

bool ReadOnlyFile::stillWritable() const
{
    QFile file(m_path);
    return file.open(QIODevice::ReadWrite);
}
