#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// Files for the tag tests: copies of the committed MP3 fixtures in a temporary folder, and
// hand-made tag blocks appended to real audio.
class TagTestFiles
{
public:
    TagTestFiles();

    // Copies tests/data/id3v1/<fixture> into the folder under `name` (writable) and returns
    // its path.
    QString copy(const QString& fixture, const QString& name) const;
    // Writes `bytes` to a new file of the folder and returns its path.
    QString write(const QString& name, const QByteArray& bytes) const;
    QString path(const QString& name) const;

private:
    QTemporaryDir m_dir;
};

QByteArray readFileBytes(const QString& path);
QByteArray fixtureBytes(const QString& fixture);

// A 128-byte block starting with "TAG": every slot is filled with `pad` after its text, then
// the genre byte. Texts are taken byte for byte.
QByteArray makeTagBlock(const QByteArray& title, const QByteArray& artist, const QByteArray& album,
                        const QByteArray& year, const QByteArray& comment, quint8 genre,
                        char pad = ' ');

// While it lives the file cannot be opened for writing: mode 0444, and when running as root
// (who ignores the mode) also the immutable flag. writable() tells whether that worked.
class ReadOnlyFile
{
public:
    explicit ReadOnlyFile(QString path);
    ~ReadOnlyFile();
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

    // True when the file can still be opened for writing after all (e.g. root on a file system
    // without the immutable flag).
    bool stillWritable() const;

private:
    QString m_path;
    bool m_immutable = false;
};
