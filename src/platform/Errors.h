#pragma once

#include <QString>
#include <exception>
#include <stdexcept>

// The exceptions the program raises. Each carries the text the user is shown; the GUI catches
// them in one place and shows that text in an error box, the CLI prints it.
class TamboroError : public std::runtime_error
{
public:
    explicit TamboroError(const QString& message)
        : std::runtime_error(message.toStdString())
        , m_message(message)
    {}
    const QString& message() const noexcept { return m_message; }

private:
    QString m_message;
};

// A file could not be opened, read, written or sought.
class EInOutError : public TamboroError
{
public:
    using TamboroError::TamboroError;
};

// A text could not be converted into the value it should hold (a number, a colour).
class EConvertError : public TamboroError
{
public:
    using TamboroError::TamboroError;
};

// The database engine refused a statement, or a statement could not be built safely.
class EDatabaseError : public TamboroError
{
public:
    using TamboroError::TamboroError;
};

// A compressed block, a compressed image or a stored file image is not in the form it must have
// (wrong type, truncated, inconsistent lengths, a code that points outside its block).
class ECompressError : public TamboroError
{
public:
    using TamboroError::TamboroError;
};

// The text the user is shown for `error`: an exception of ours gives its message, one of the
// standard library its what(); anything else gives `unknownText`, or a general text when that
// is empty; no exception at all gives an empty text. Every place that stops an exception from
// going further reports it through this.
QString errorText(const std::exception_ptr& error, const QString& unknownText = QString());

// The same for the exception being handled; to be called inside a catch block.
inline QString currentErrorText(const QString& unknownText = QString())
{
    return errorText(std::current_exception(), unknownText);
}
