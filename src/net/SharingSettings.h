#pragma once

#include <QHostAddress>
#include <QString>

class SettingsStore;

// Where the sharing network's peers are: every address and port of the protocol, read from the
// settings (the protocol's numbers are the defaults).
struct SharingSettings
{
    // The central server: a dotted address or a host name.
    QString centralServer = QStringLiteral("127.0.0.1");
    // The address the user's servers listen on; when it is not all interfaces, connections to
    // other peers go out from it too, so that answers come back to it.
    QHostAddress address{QHostAddress::AnyIPv4};
    quint16 personalPort = 6710;
    quint16 resultPort = 6711;
    quint16 streamPort = 6712;
    quint16 infoPort = 6713;
    quint16 centralPort = 6714;
    quint16 centralResultPort = 6715;

    // Throws EConvertError naming the value that is not an address or a port number.
    static SharingSettings from(const SettingsStore& store);
};

// The dotted form an address is known by in the protocol: an IPv4 address, also one that
// arrived mapped into IPv6, as "a.b.c.d".
QString dottedAddress(const QHostAddress& address);
// Whether `address` names one interface rather than all of them.
bool isSpecificAddress(const QHostAddress& address);

// A port number from its text; throws EConvertError naming `what`.
quint16 portFromText(const QString& text, const QString& what);
// An IPv4 or IPv6 address from its text; throws EConvertError naming `what`.
QHostAddress addressFromText(const QString& text, const QString& what);
