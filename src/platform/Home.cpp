#include "platform/Home.h"

#include "platform/Errors.h"

#include <QDir>
#include <QStandardPaths>

namespace Home {

QString defaultPath()
{
    const QString fromEnv = qEnvironmentVariable("TAMBORO_HOME");
    if (!fromEnv.isEmpty())
        return QDir::cleanPath(QDir(fromEnv).absolutePath());
    // Spelled out rather than taken from QStandardPaths::AppLocalDataLocation, which depends on
    // the application and organisation names having been set before the call.
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return QDir::cleanPath(base + QStringLiteral("/Kestrova/Tamboro3"));
}

QString ensure(const QString& path)
{
    const QString clean = QDir::cleanPath(QDir(path).absolutePath());
    if (!QDir().mkpath(clean))
        throw EInOutError(QStringLiteral("Cannot create the folder %1").arg(clean));
    return clean;
}

QString file(const QString& home, const QString& name)
{
    return QDir(home).filePath(name);
}

} // namespace Home
