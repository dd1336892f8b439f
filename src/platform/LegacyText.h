#pragma once

#include <QByteArray>
#include <QString>

// Text files the program reads may come from the Windows program, which wrote its ANSI code
// page, or from this one, which writes UTF-8.
namespace LegacyText {

// `bytes` as UTF-8 when they are valid UTF-8, else as Windows-1252 (Latin-1 with the
// typographic characters of 0x80-0x9F).
QString decode(const QByteArray& bytes);

// `bytes` as Windows-1252; the five codes it leaves unused stay as their Latin-1 characters.
QString fromWindows1252(const QByteArray& bytes);

} // namespace LegacyText
