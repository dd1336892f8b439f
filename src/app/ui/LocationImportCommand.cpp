#include "app/ui/LocationImportCommand.h"

#include "app/ui/LocationImportWindow.h"
#include "db/LocationImport.h"
#include "platform/LegacyText.h"
#include "settings/SettingsStore.h"
#include "ui/BackgroundRunner.h"
#include "ui/Dialogs.h"
#include "ui/ErrorBoundary.h"
#include "ui/Gauge.h"

LocationImportCommand::LocationImportCommand(QString home, Dialogs& dialogs,
                                             const SettingsStore& settings, QWidget* mainWindow,
                                             Gauge* gauge)
    : QObject(mainWindow)
    , m_home(std::move(home))
    , m_dialogs(dialogs)
    , m_settings(settings)
    , m_gauge(gauge)
    , m_window(new LocationImportWindow(dialogs, mainWindow))
{
    setObjectName(QStringLiteral("LocationImportCommand"));
    connect(m_window, &LocationImportWindow::importRequested, this, [this](const QString& path) {
        ErrorBoundary::run([this, &path] { runImport(path); }, m_dialogs);
    });
}

QString LocationImportCommand::importedText(int count)
{
    return QStringLiteral("%1 records have been imported!").arg(count);
}

void LocationImportCommand::open()
{
    m_window->clearPath();
    m_window->exec();
}

void LocationImportCommand::runImport(const QString& path)
{
    // The Windows program's table is in the code page the tags are read in.
    const SingleByteCodePage codePage = SingleByteCodePage::byNameOrDefault(
        m_settings.text(QLatin1String(SettingsStore::ID3v1CodePage)));
    const QString home = m_home;
    LocationImport::Result result;
    // The worker makes its own connection to the song table; run() returns only after the job.
    const auto job = [&](const BackgroundRunner::Progress& progress) {
        result = LocationImport::run(home, path, codePage, [&progress](int done, int total) {
            progress(done, total, QString());
        });
    };
    const std::optional<QString> error = BackgroundRunner::run(
        m_window, job,
        [this](int position, int maximum, const QString& text) {
            if (!m_gauge)
                return;
            if (m_gauge->isHidden() || m_gauge->maximum() != qMax(maximum, 1))
                m_gauge->start(text, maximum);
            m_gauge->setValue(position);
        },
        QStringLiteral("The import stopped because of an unknown error."));
    if (m_gauge)
        m_gauge->finish();

    if (error) {
        // Nothing came in: the window stays for another choice.
        m_dialogs.message(Dialogs::Kind::Error, *error);
        return;
    }
    emit refreshListsRequested();
    m_window->accept();
    m_dialogs.message(Dialogs::Kind::Information, importedText(result.imported));
}
