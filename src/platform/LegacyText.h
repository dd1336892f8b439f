#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

// Text files the program reads may come from the Windows program, which wrote its ANSI code
// page, or from this one, which writes UTF-8. ID3v1 tags carry no code page at all: the files
// our users own were tagged on Windows, in its ANSI code page, Windows-1252 unless the user
// says otherwise.
namespace LegacyText {

// `bytes` as UTF-8 when they are valid UTF-8, else as Windows-1252 (Latin-1 with the
// typographic characters of 0x80-0x9F).
QString decode(const QByteArray& bytes);

// The lines of a text file (ended by CR LF or by LF alone) that are not empty, each decoded.
QStringList decodeLines(const QByteArray& bytes);

// The file's lines as decodeLines gives them; EInOutError when it cannot be read.
QStringList readLines(const QString& path);

// `bytes` as Windows-1252; the five codes it leaves unused stay as their Latin-1 characters.
QString fromWindows1252(const QByteArray& bytes);

// `text` in Windows-1252, one byte per character; a character it cannot hold becomes "?".
QByteArray toWindows1252(const QString& text);

} // namespace LegacyText

// A code page of one byte per character: Windows-1252 of our own, or any other that Qt's
// converters offer by name on this system. Cheap to copy; safe to share between threads.
class SingleByteCodePage
{
public:
    static constexpr const char DefaultName[] = "Windows-1252";

    // Windows-1252.
    SingleByteCodePage();

    // The code page of that name (letter case ignored), or nothing when Qt has no converter by
    // that name here or the converter does not map every byte to one character.
    static std::optional<SingleByteCodePage> byName(const QString& name);

    // The code page of that name, else Windows-1252; `note` (when given) then says why, and is
    // emptied otherwise.
    static SingleByteCodePage byNameOrDefault(const QString& name, QString* note = nullptr);

    // The code pages of the Options dialog that this system offers, Windows-1252 first.
    static QStringList offered();

    const QString& name() const;
    QString decode(const QByteArray& bytes) const;
    // One byte per character; a character the code page cannot hold becomes "?".
    QByteArray encode(const QString& text) const;

private:
    struct Table;
    explicit SingleByteCodePage(std::shared_ptr<const Table> table);
    static std::shared_ptr<const Table> windows1252Table();
    std::shared_ptr<const Table> m_table;
};
