#pragma once

#include "testsupport/QtPrinters.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// A fresh, empty home folder for one test. While it lives, TAMBORO_HOME points at it and
// XDG_CONFIG_HOME at a folder of its own, so that neither the song table nor the settings of
// the user running the tests are touched.
class TempHome
{
public:
    TempHome();
    ~TempHome();
    TempHome(const TempHome&) = delete;
    TempHome& operator=(const TempHome&) = delete;

    const QString& path() const { return m_home; }
    QString file(const QString& name) const;
    // A settings file of this test's own, for stores constructed on a path.
    QString settingsFile() const;

private:
    QTemporaryDir m_dir;
    QString m_home;
    QByteArray m_oldHome;
    QByteArray m_oldConfig;
    bool m_hadHome;
    bool m_hadConfig;
};

// Writes `bytes` to a file at `path`, making its folders first; returns the path. A file that
// cannot be written fails the test that asked for it.
QString writeTestFile(const QString& path, const QByteArray& bytes = QByteArray());

// Path of a committed fixture under tests/data.
QString testDataPath(const QString& name);
