#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <ostream>

// Readable failure messages for Qt strings in GoogleTest assertions.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QStringList& list, std::ostream* os)
{
    *os << '{';
    for (qsizetype i = 0; i < list.size(); ++i) {
        if (i)
            *os << ", ";
        PrintTo(list.at(i), os);
    }
    *os << '}';
}

inline void PrintTo(const QByteArray& bytes, std::ostream* os)
{
    *os << "QByteArray(" << bytes.size() << " bytes: " << bytes.left(64).toHex(' ').toStdString()
        << (bytes.size() > 64 ? " ...)" : ")");
}
