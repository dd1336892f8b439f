#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class Clock;
class QIODevice;

// A file carried inside the program. Its bytes arrive as a stored image (`FileData`: either a
// 32-bit little-endian length and the bytes, or a compressed image); loading writes them to a
// fresh temporary file that the container owns and deletes when it is destroyed. The
// container's objectName() is its name, used in its messages.
class TFileSource : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString FileName READ fileName WRITE setFileName)
    Q_PROPERTY(QString Extension READ extension WRITE setExtension)
    Q_PROPERTY(bool Store READ store WRITE setStore)
    Q_PROPERTY(bool Compress READ compress WRITE setCompress)
    Q_PROPERTY(QString DisplayLabel READ displayLabel WRITE setDisplayLabel)

public:
    // Uses the system clock and the system's temporary directory.
    explicit TFileSource(QObject* parent = nullptr);
    // `clock` must outlive the container. An empty tempDir means QDir::tempPath().
    explicit TFileSource(Clock& clock, const QString& tempDir = QString(),
                         QObject* parent = nullptr);
    ~TFileSource() override;

    // The path while a file exists there, otherwise empty.
    QString fileName() const;
    // Deletes the previous temporary file if this container wrote it, takes the new path as not
    // owned, and takes Extension from the new file name (from its last "." on, or empty).
    void setFileName(const QString& path);

    QString extension() const { return m_extension; }
    void setExtension(const QString& extension) { m_extension = extension; }

    bool store() const { return m_store; }
    void setStore(bool store) { m_store = store; }

    bool compress() const { return m_compress; }
    // Compressing implies storing.
    void setCompress(bool compress);

    QString displayLabel() const { return m_displayLabel; }
    void setDisplayLabel(const QString& label) { m_displayLabel = label; }

    // The container wrote the file at FileName and deletes it when destroyed.
    bool owned() const { return m_owned; }

    QString tempDir() const { return m_tempDir; }

    // Writes the file held in `fileData` (compressed when Compress is set) to a new temporary
    // file "~fs<seconds><n><Extension>" in the temporary directory and makes it FileName,
    // owned. On any failure the partly written file is deleted, FileName is left empty, and the
    // error (ECompressError for a malformed image, EInOutError for the file system) is thrown.
    void loadFileData(QIODevice& fileData);
    void loadFileData(const QByteArray& fileData);

    // Writes the stored image of the file at FileName (compressed when Compress is set; then
    // `out` must be seekable). A missing file throws EInOutError
    // "<name> cannot store file: <path> (file is missing)".
    void storeFileData(QIODevice& out) const;
    QByteArray fileData() const;

    // The two directions of the stored image on plain devices, shared with the build tool.
    static void packFileData(QIODevice& file, bool compressed, QIODevice& out);
    static void unpackFileData(QIODevice& fileData, bool compressed, QIODevice& out);

private:
    void removeOwnedFile();

    Clock& m_clock;
    QString m_tempDir;
    QString m_fileName;
    QString m_extension;
    QString m_displayLabel;
    bool m_store = false;
    bool m_compress = false;
    bool m_owned = false;
};
