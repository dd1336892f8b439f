#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <gtest/gtest.h>

#include <climits>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// Names the system has but a QString path cannot reach: made and removed through the raw
// bytes and folder descriptors, since QDir (and QTemporaryDir's clean-up with it) cannot see them.

// A file of `folder` whose name is the bytes `name` (not UTF-8).
class RawNamedFile
{
public:
    RawNamedFile(const QString& folder, const QByteArray& name, const QByteArray& bytes = {})
        : m_path(QFile::encodeName(folder) + '/' + name)
    {
        const int fd = ::open(m_path.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        EXPECT_GE(fd, 0) << m_path.constData();
        if (fd >= 0) {
            EXPECT_EQ(::write(fd, bytes.constData(), size_t(bytes.size())), bytes.size());
            ::close(fd);
        }
    }
    ~RawNamedFile() { ::unlink(m_path.constData()); }
    RawNamedFile(const RawNamedFile&) = delete;
    RawNamedFile& operator=(const RawNamedFile&) = delete;

    // The path as the listing decodes it.
    QString decodedPath() const { return QFile::decodeName(m_path); }

private:
    QByteArray m_path;
};

// A chain of folders under `base`, each named by 250 letters, down to the first one whose path
// is too long for the system to open. The folder above it ("the deepest") can still be listed;
// `songName` and a file whose full path is too long are made in it.
class DeepTree
{
public:
    DeepTree(const QString& base, const QByteArray& songName, const QByteArray& songBytes)
        : m_base(base)
    {
        const QByteArray segment(250, 'd');
        m_deepest = base;
        int fd = ::open(QFile::encodeName(base).constData(), O_RDONLY | O_DIRECTORY);
        m_baseFd = ::dup(fd);
        for (;;) {
            const QString next = m_deepest + QLatin1Char('/') + QString::fromLatin1(segment);
            EXPECT_EQ(::mkdirat(fd, segment.constData(), 0755), 0);
            if (QFile::encodeName(next).size() >= PATH_MAX) {
                m_tooDeep = next;
                break;
            }
            const int child = ::openat(fd, segment.constData(), O_RDONLY | O_DIRECTORY);
            ::close(fd);
            fd = child;
            m_deepest = next;
        }
        m_deepestFd = fd;
        m_longName = QByteArray(PATH_MAX - QFile::encodeName(m_deepest).size(), 'L') + ".mp3";
        write(songName, songBytes);
        write(m_longName, "long");
        m_song = m_deepest + QLatin1Char('/') + QString::fromLatin1(songName);
    }

    // Brings what is too deep up to the base, so that the ordinary clean-up reaches it all.
    ~DeepTree()
    {
        ::unlinkat(m_deepestFd, m_longName.constData(), 0);
        ::renameat(m_deepestFd, QByteArray(250, 'd').constData(), m_baseFd, "too-deep");
        ::close(m_deepestFd);
        ::close(m_baseFd);
    }
    DeepTree(const DeepTree&) = delete;
    DeepTree& operator=(const DeepTree&) = delete;

    const QString& song() const { return m_song; }
    QString longFile() const
    {
        return m_deepest + QLatin1Char('/') + QString::fromLatin1(m_longName);
    }
    const QString& tooDeepFolder() const { return m_tooDeep; }

private:
    void write(const QByteArray& name, const QByteArray& bytes)
    {
        const int fd = ::openat(m_deepestFd, name.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        EXPECT_GE(fd, 0);
        if (fd >= 0) {
            EXPECT_EQ(::write(fd, bytes.constData(), size_t(bytes.size())), bytes.size());
            ::close(fd);
        }
    }

    QString m_base;
    QString m_deepest;
    QString m_tooDeep;
    QString m_song;
    QByteArray m_longName;
    int m_baseFd = -1;
    int m_deepestFd = -1;
};
