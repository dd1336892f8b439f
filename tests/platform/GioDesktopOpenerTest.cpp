#include "platform/GioDesktopOpener.h"
#include "testsupport/CaseNames.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

namespace {

bool writeFile(const QString& path, const QString& text)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text.toUtf8()) >= 0;
}

// A desktop of its own: with `browser`, a program registered as the default for HTML pages
// that writes its arguments to a file. Opens a page whose name has a blank and an accent, and
// checks what the program was handed. Nothing when all went as it should, else what did not.
QString openInDesktop(const QString& root, bool browser)
{
    // The system's MIME types stay, so that the page's type is known; its programs do not.
    const QString types =
        QStandardPaths::locate(QStandardPaths::GenericDataLocation, QStringLiteral("mime"),
                               QStandardPaths::LocateDirectory);
    if (types.isEmpty() || !QDir().mkpath(root + QStringLiteral("/system-data")) ||
        !QFile::link(types, root + QStringLiteral("/system-data/mime")))
        return QStringLiteral("no MIME types to link");
    qputenv("XDG_DATA_HOME", (root + QStringLiteral("/data")).toUtf8());
    qputenv("XDG_DATA_DIRS", (root + QStringLiteral("/system-data")).toUtf8());
    qputenv("XDG_CONFIG_HOME", (root + QStringLiteral("/config")).toUtf8());
    qputenv("XDG_CONFIG_DIRS", (root + QStringLiteral("/system-config")).toUtf8());
    qunsetenv("XDG_CURRENT_DESKTOP");

    const QString program = root + QStringLiteral("/bin/browser");
    const QString received = root + QStringLiteral("/received");
    if (browser &&
        !(writeFile(program, QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$@\" > '%1.part' && "
                                            "mv '%1.part' '%1'\n")
                                 .arg(received)) &&
          QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner) &&
          writeFile(root + QStringLiteral("/data/applications/browser.desktop"),
                    QStringLiteral("[Desktop Entry]\nType=Application\nName=Browser\n"
                                   "Exec=%1 %u\nMimeType=text/html;\n")
                        .arg(program)) &&
          writeFile(root + QStringLiteral("/config/mimeapps.list"),
                    QStringLiteral("[Default Applications]\ntext/html=browser.desktop\n"))))
        return QStringLiteral("set-up failed");

    const QString page = root + QStringLiteral("/My list é.htm");
    if (!writeFile(page, QStringLiteral("<html></html>")))
        return QStringLiteral("cannot write the page");
    const GioDesktopOpener opener;
    if (opener.canOpen(page) != browser)
        return QStringLiteral("canOpen: %1").arg(opener.canOpen(page));
    const std::optional<QString> failure = opener.open(page);
    if (!browser) {
        if (!failure || !failure->contains(page))
            return QStringLiteral("no reason naming the page: %1")
                .arg(failure.value_or(QStringLiteral("(none)")));
        return {};
    }
    if (failure)
        return QStringLiteral("open failed: %1").arg(*failure);
    const QDeadlineTimer deadline(5000);
    while (!QFile::exists(received) && !deadline.hasExpired())
        QThread::msleep(20);
    QFile file(received);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("the browser did not start");
    // One argument: the page, as its path or its URL, whichever GIO gives for "%u".
    const QByteArray arguments = file.readAll();
    if (arguments != page.toUtf8() + '\n' &&
        arguments != QUrl::fromLocalFile(page).toEncoded() + '\n')
        return QStringLiteral("arguments %1, wanted %2").arg(QString::fromUtf8(arguments), page);
    return {};
}

// Runs in a process of its own: GIO reads the XDG folders once per process.
[[noreturn]] void openInOwnDesktop(bool browser)
{
    QString failure;
    {
        QTemporaryDir dir;
        failure = openInDesktop(dir.path(), browser);
    }
    if (!failure.isEmpty())
        std::fprintf(stderr, "%s\n", qPrintable(failure));
    std::exit(failure.isEmpty() ? 0 : 1);
}

struct OpenCase
{
    const char* name;
    bool browser;
};

class DesktopOpenerTest : public ::testing::TestWithParam<OpenCase>
{};

TEST_P(DesktopOpenerTest, OpensAPageWithTheRegisteredBrowserOrSaysWhyNot)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(openInOwnDesktop(GetParam().browser), ::testing::ExitedWithCode(0), "");
}

INSTANTIATE_TEST_SUITE_P(Desktops, DesktopOpenerTest,
                         ::testing::Values(OpenCase{"browser registered", true},
                                           OpenCase{"nothing registered", false}),
                         RowName());

} // namespace
