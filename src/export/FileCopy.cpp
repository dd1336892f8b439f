#include "export/FileCopy.h"

#include "platform/Errors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace FileCopy {

namespace {

// Bytes per step: large enough that a copy costs what cp costs, small enough that a cancel
// is noticed within a fraction of a second.
constexpr std::size_t chunkSize = 8 * 1024 * 1024;

QString nameWithNumber(const QString& name, int number)
{
    const QString mark = QStringLiteral(" (%1)").arg(number);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot <= 0)
        return name + mark;
    return name.left(dot) + mark + name.mid(dot);
}

// The mode bits a new file gets from this process's umask, read without changing it (umask()
// would change it for every thread for a moment).
mode_t processUmask()
{
    static const mode_t mask = [] {
        QFile status(QStringLiteral("/proc/self/status"));
        if (status.open(QIODevice::ReadOnly)) {
            while (!status.atEnd()) {
                const QByteArray line = status.readLine();
                if (line.startsWith("Umask:"))
                    return mode_t(line.mid(6).trimmed().toUInt(nullptr, 8));
            }
        }
        return mode_t(022);
    }();
    return mask;
}

QString errnoText(int error)
{
    switch (error) {
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("There is not enough room in the destination.");
    case EACCES:
    case EPERM:
        return QStringLiteral("Access was denied.");
    case EROFS:
        return QStringLiteral("The destination cannot be written to.");
    default:
        return QString::fromLocal8Bit(std::strerror(error));
    }
}

class Fd
{
public:
    explicit Fd(int fd = -1)
        : m_fd(fd)
    {}
    ~Fd() { reset(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return m_fd; }
    // Closes now; false (errno set) when the close reports a failed write.
    bool close()
    {
        const int fd = m_fd;
        m_fd = -1;
        return fd < 0 || ::close(fd) == 0;
    }
    void reset()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

private:
    int m_fd;
};

// The temporary file in the destination; removed unless it was renamed into place.
class Partial
{
public:
    explicit Partial(QByteArray path)
        : m_path(std::move(path))
    {}
    ~Partial()
    {
        if (!m_kept)
            ::unlink(m_path.constData());
    }
    Partial(const Partial&) = delete;
    Partial& operator=(const Partial&) = delete;
    const QByteArray& path() const { return m_path; }
    void keep() { m_kept = true; }

private:
    QByteArray m_path;
    bool m_kept = false;
};

enum class Step { Copied, Failed, Cancelled, TargetAppeared };

struct Attempt
{
    Step outcome = Step::Failed;
    QString reason;
    qint64 bytes = 0;
};

Attempt failed(const QString& reason)
{
    return {Step::Failed, reason, 0};
}

// Copies `length` bytes from `in` to `out`, in the kernel where it can.
bool copyContents(int in, int out, qint64 length, const std::atomic<bool>* cancel, int& error,
                  bool& cancelled)
{
    bool kernelCopy = true;
    std::unique_ptr<char[]> buffer;
    qint64 done = 0;
    for (;;) {
        if (cancel && cancel->load()) {
            cancelled = true;
            return false;
        }
        if (kernelCopy) {
            const ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, chunkSize, 0);
            if (n > 0) {
                done += n;
                continue;
            }
            if (n == 0 && done >= length)
                return true;
            if (n < 0 && errno == EINTR)
                continue;
            // Not offered between these two files (another file system, an old kernel, a
            // file the kernel cannot splice) or a file that grew no further: plain reads and
            // writes from where the kernel stopped.
            if (n < 0 && errno != EXDEV && errno != EINVAL && errno != ENOSYS &&
                errno != EOPNOTSUPP && errno != ETXTBSY) {
                error = errno;
                return false;
            }
            kernelCopy = false;
            buffer.reset(new char[chunkSize]);
            continue;
        }
        const ssize_t n = ::read(in, buffer.get(), chunkSize);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            error = errno;
            return false;
        }
        if (n == 0)
            return true;
        for (ssize_t written = 0; written < n;) {
            const ssize_t w = ::write(out, buffer.get() + written, std::size_t(n - written));
            if (w < 0) {
                if (errno == EINTR)
                    continue;
                error = errno;
                return false;
            }
            written += w;
        }
        done += n;
    }
}

Attempt copyOne(const QString& source, const QString& target, bool replace,
                const std::atomic<bool>* cancel)
{
    const Fd in(::open(QFile::encodeName(source).constData(), O_RDONLY | O_CLOEXEC));
    if (in.get() < 0) {
        if (errno == ENOENT)
            return failed(QStringLiteral("The file no longer exists."));
        return failed(errnoText(errno));
    }
    struct stat info
    {};
    if (::fstat(in.get(), &info) != 0)
        return failed(errnoText(errno));
    if (!S_ISREG(info.st_mode))
        return failed(QStringLiteral("It is not a file."));

    const QByteArray folder = QFile::encodeName(QFileInfo(target).path());
    QByteArray pattern = folder + "/.tamboro-copy-XXXXXX";
    Fd out(::mkostemp(pattern.data(), O_CLOEXEC));
    if (out.get() < 0)
        return failed(errnoText(errno));
    Partial partial(pattern);
    // A player's FAT file system keeps no modes: a refusal there changes nothing.
    (void)::fchmod(out.get(), (info.st_mode & 0666) & ~processUmask());

    int error = 0;
    bool cancelled = false;
    if (!copyContents(in.get(), out.get(), qint64(info.st_size), cancel, error, cancelled))
        return cancelled ? Attempt{Step::Cancelled, QString(), 0} : failed(errnoText(error));
    if (!out.close())
        return failed(errnoText(errno));

    const QByteArray to = QFile::encodeName(target);
    if (replace) {
        if (::rename(partial.path().constData(), to.constData()) != 0)
            return failed(errnoText(errno));
    } else if (::renameat2(AT_FDCWD, partial.path().constData(), AT_FDCWD, to.constData(),
                           RENAME_NOREPLACE) != 0) {
        if (errno == EEXIST)
            return {Step::TargetAppeared, QString(), 0};
        if (errno != EINVAL && errno != ENOSYS)
            return failed(errnoText(errno));
        // A file system that cannot refuse to replace: look first.
        struct stat there
        {};
        if (::lstat(to.constData(), &there) == 0)
            return {Step::TargetAppeared, QString(), 0};
        if (::rename(partial.path().constData(), to.constData()) != 0)
            return failed(errnoText(errno));
    }
    partial.keep();
    return {Step::Copied, QString(), qint64(info.st_size)};
}

bool exists(const QString& path)
{
    struct stat info
    {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0;
}

} // namespace

QStringList targetNames(const QStringList& sources)
{
    QStringList names;
    names.reserve(sources.size());
    QSet<QString> taken;
    for (const QString& source : sources) {
        const QString own = QFileInfo(source).fileName();
        QString name = own;
        for (int number = 2; taken.contains(name.toCaseFolded()); ++number)
            name = nameWithNumber(own, number);
        taken.insert(name.toCaseFolded());
        names << name;
    }
    return names;
}

Result copyFiles(const QStringList& sources, const QString& folder, const Callbacks& callbacks)
{
    if (!QFileInfo(folder).isDir())
        throw EInOutError(QStringLiteral("The folder \"%1\" does not exist.").arg(folder));
    const QDir destination(folder);
    const QStringList names = targetNames(sources);
    const int count = int(sources.size());
    Result result;
    bool replaceAll = false;

    // Whether to write over the file at `target`; nothing when the file is to be skipped or
    // the command ends.
    const auto decide = [&](const QString& target) -> std::optional<bool> {
        if (replaceAll)
            return true;
        const Existing answer =
            callbacks.askExisting ? callbacks.askExisting(target) : Existing::Skip;
        switch (answer) {
        case Existing::Replace:
            return true;
        case Existing::ReplaceAll:
            replaceAll = true;
            return true;
        case Existing::Cancel:
            result.cancelled = true;
            return std::nullopt;
        case Existing::Skip:
            break;
        }
        return false;
    };

    const auto report = [&](int index, Outcome outcome, const QString& target,
                            const QString& reason) {
        if (callbacks.finished)
            callbacks.finished(index, outcome, target, reason);
    };

    for (int i = 0; i < count && !result.cancelled; ++i) {
        if (callbacks.cancel && callbacks.cancel->load()) {
            result.cancelled = true;
            break;
        }
        const QString& source = sources[i];
        if (callbacks.progress)
            callbacks.progress(i, count, source);
        const QString target = destination.filePath(names[i]);

        bool replace = false;
        if (exists(target)) {
            const std::optional<bool> choice = decide(target);
            if (!choice)
                break;
            if (!*choice) {
                result.skipped << source;
                report(i, Outcome::Skipped, target, QString());
                continue;
            }
            replace = true;
        }
        Attempt attempt = copyOne(source, target, replace, callbacks.cancel);
        if (attempt.outcome == Step::TargetAppeared) {
            // Someone else put a file there while this one was copied: the same question.
            const std::optional<bool> choice = decide(target);
            if (!choice)
                break;
            if (!*choice) {
                result.skipped << source;
                report(i, Outcome::Skipped, target, QString());
                continue;
            }
            attempt = copyOne(source, target, true, callbacks.cancel);
        }
        switch (attempt.outcome) {
        case Step::Copied:
            result.copied << target;
            result.bytes += attempt.bytes;
            report(i, Outcome::Copied, target, QString());
            break;
        case Step::Cancelled:
            result.cancelled = true;
            break;
        case Step::Failed:
        case Step::TargetAppeared:
            if (attempt.outcome == Step::TargetAppeared)
                attempt.reason = QStringLiteral("Another file of its name keeps appearing there.");
            result.failures.push_back({source, attempt.reason});
            report(i, Outcome::Failed, target, attempt.reason);
            break;
        }
    }
    return result;
}

} // namespace FileCopy
