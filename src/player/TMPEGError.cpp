#include "player/TMPEGError.h"

#include <array>

namespace {

// Indexed by the library's error code.
const std::array<const char*, 6> libraryMessages = {
    "MPEG library not loaded", "Internal decoder error",       "Incorrect mode",
    "Input stream error",      "Input stream is non-seekable", "Output device failure",
};

QString unknownCodeText(qint64 code)
{
    return QStringLiteral("Unknown MPEG library error %1").arg(code);
}

} // namespace

TMPEGError::TMPEGError(quint8 code)
    : TamboroError(messageFor(code))
    , m_code(code)
{}

TMPEGError::TMPEGError(const QString& message, quint8 code)
    : TamboroError(message)
    , m_code(code)
{}

QString TMPEGError::messageFor(quint8 code)
{
    if (code < libraryMessages.size())
        return QString::fromLatin1(libraryMessages[code]);
    if (code == NonSpecifiedStream)
        return QStringLiteral("Can't play non-specified stream");
    return unknownCodeText(code);
}

TMPEGError TMPEGError::fromLibraryCode(int code)
{
    if (code >= 0 && code <= 0xFF)
        return TMPEGError(static_cast<quint8>(code));
    return TMPEGError(unknownCodeText(code), UnknownCode);
}

TMPEGError TMPEGError::withDetail(const QString& detail) const
{
    TMPEGError error = *this;
    error.m_detail = detail;
    return error;
}

TMPEGError TMPEGError::cantLoadLibrary()
{
    return TMPEGError(QStringLiteral("Can't load MPEG library"), NotLoaded);
}
