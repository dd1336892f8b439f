#include "testsupport/TempHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

TempHome::TempHome()
    : m_oldHome(qgetenv("TAMBORO_HOME"))
    , m_oldConfig(qgetenv("XDG_CONFIG_HOME"))
    , m_hadHome(qEnvironmentVariableIsSet("TAMBORO_HOME"))
    , m_hadConfig(qEnvironmentVariableIsSet("XDG_CONFIG_HOME"))
{
    m_home = m_dir.filePath(QStringLiteral("home"));
    QDir().mkpath(m_home);
    QDir().mkpath(m_dir.filePath(QStringLiteral("config")));
    qputenv("TAMBORO_HOME", m_home.toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", m_dir.filePath(QStringLiteral("config")).toLocal8Bit());
}

TempHome::~TempHome()
{
    if (m_hadHome)
        qputenv("TAMBORO_HOME", m_oldHome);
    else
        qunsetenv("TAMBORO_HOME");
    if (m_hadConfig)
        qputenv("XDG_CONFIG_HOME", m_oldConfig);
    else
        qunsetenv("XDG_CONFIG_HOME");
}

QString TempHome::file(const QString& name) const
{
    return QDir(m_home).filePath(name);
}

QString TempHome::settingsFile() const
{
    return m_dir.filePath(QStringLiteral("config/Tamboro3.conf"));
}

QString testDataPath(const QString& name)
{
    return QDir(QStringLiteral(T3_TEST_DATA_DIR)).filePath(name);
}

QString writeTestFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    EXPECT_EQ(file.write(bytes), bytes.size()) << path.toStdString();
    return path;
}
