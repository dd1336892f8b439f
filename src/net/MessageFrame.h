#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

// The frames of the sharing network's wire. A message goes as a 4-digit name length, the name,
// a 4-digit text length and the text; a stream as a 4-digit name length, the name, a 10-digit
// byte count and the bytes. Lengths are decimal and zero-padded; texts are UTF-8. Every frame is
// answered with the 16-byte reply "OK" and 14 blanks.
namespace MessageFrame {

inline constexpr int LengthDigits = 4;
inline constexpr int SizeDigits = 10;
inline constexpr int ReplySize = 16;
// The most a 4-digit length can announce.
inline constexpr qsizetype MaxText = 9999;
// The most a 10-digit size can announce.
inline constexpr qint64 MaxStream = 9'999'999'999;

// "OK" and 14 blanks.
QByteArray reply();

// The zero-padded decimal field for `length`. Throws ESockError when it does not fit `digits`.
QByteArray lengthField(qint64 length, int digits);

// The whole message frame. Throws ESockError, naming the part and its size, when the name or
// the text needs more than 9,999 bytes: such a text cannot be framed and is never sent cut.
QByteArray message(const QString& name, const QString& text);

// The part of a stream frame that goes before the bytes.
QByteArray streamHeader(const QString& name, qint64 size);

// A length field read back: its value when every character is a decimal digit, else nothing.
std::optional<qint64> parseLength(QByteArrayView field);

} // namespace MessageFrame
