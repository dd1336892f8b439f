#pragma once

#include "platform/Errors.h"

#include <QtGlobal>

// An error of the MPEG player component or of the decoder library behind it. The code is the
// library's error code (0 to 5), or 254 for a song without a name.
class TMPEGError : public TamboroError
{
public:
    enum Code : quint8 {
        NotLoaded = 0,
        InternalError = 1,
        IncorrectMode = 2,
        InputStreamError = 3,
        NonSeekable = 4,
        OutputDeviceFailure = 5,
        NonSpecifiedStream = 254,
        UnknownCode = 255 // a code the library should never report
    };

    // The message of `code` from the table of codes.
    explicit TMPEGError(quint8 code);
    TMPEGError(const QString& message, quint8 code);

    quint8 code() const noexcept { return m_code; }
    // What the library found, in words ("the file is empty"), beside the code's fixed message;
    // empty when it said nothing more.
    const QString& detail() const noexcept { return m_detail; }
    TMPEGError withDetail(const QString& detail) const;

    // The table's text for `code`; a code outside the table gets a text naming it.
    static QString messageFor(quint8 code);
    // The error for a code read from the library, which is a full integer: codes that do not
    // fit in a byte are reported as UnknownCode with their value in the text.
    static TMPEGError fromLibraryCode(int code);

    // The library file could not be loaded at all (code 0).
    static TMPEGError cantLoadLibrary();

private:
    quint8 m_code;
    QString m_detail;
};
