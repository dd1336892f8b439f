#include "net/SharingSettings.h"

#include "platform/Errors.h"
#include "settings/SettingsStore.h"

QString dottedAddress(const QHostAddress& address)
{
    bool ok = false;
    const quint32 v4 = address.toIPv4Address(&ok);
    return ok ? QHostAddress(v4).toString() : address.toString();
}

bool isSpecificAddress(const QHostAddress& address)
{
    return !address.isNull() && address != QHostAddress(QHostAddress::AnyIPv4) &&
           address != QHostAddress(QHostAddress::Any) &&
           address != QHostAddress(QHostAddress::AnyIPv6);
}

quint16 portFromText(const QString& text, const QString& what)
{
    bool ok = false;
    const uint port = text.trimmed().toUInt(&ok);
    if (!ok || port == 0 || port > 65535)
        throw EConvertError(
            QStringLiteral("'%1' is not a port number (1 to 65535) for %2").arg(text, what));
    return static_cast<quint16>(port);
}

QHostAddress addressFromText(const QString& text, const QString& what)
{
    QHostAddress address;
    if (!address.setAddress(text.trimmed()))
        throw EConvertError(QStringLiteral("'%1' is not an IP address for %2").arg(text, what));
    return address;
}

SharingSettings SharingSettings::from(const SettingsStore& store)
{
    const auto port = [&store](const char* name) {
        return portFromText(store.text(QLatin1String(name)), QLatin1String(name));
    };
    SharingSettings settings;
    settings.centralServer = store.text(QLatin1String(SettingsStore::CentralServer)).trimmed();
    settings.address = addressFromText(store.text(QLatin1String(SettingsStore::SharingAddress)),
                                       QLatin1String(SettingsStore::SharingAddress));
    settings.personalPort = port(SettingsStore::PersonalServerPort);
    settings.resultPort = port(SettingsStore::ResultPort);
    settings.streamPort = port(SettingsStore::StreamPort);
    settings.infoPort = port(SettingsStore::InfoPort);
    settings.centralPort = port(SettingsStore::CentralServerPort);
    settings.centralResultPort = port(SettingsStore::CentralResultPort);
    return settings;
}
