#include "app/ui/PlayCommands.h"

#include "lists/ListShared.h"
#include "lists/PlayHandoff.h"
#include "lists/ui/ListModel.h"
#include "lists/ui/ListWindow.h"
#include "platform/DetachedProcess.h"
#include "platform/Errors.h"
#include "ui/Dialogs.h"
#include "ui/Gauge.h"

#include <QApplication>

namespace {

const QString& noPlayerText()
{
    static const QString text = QStringLiteral(
        "No program is registered on this computer to play MP3 files, so the songs cannot be "
        "handed to a player.\n\nPlay the first song with the built-in player instead?");
    return text;
}

const QString& noEnqueueText()
{
    static const QString text = QStringLiteral(
        "The MP3 player registered on this computer offers no way to add songs to its "
        "playlist. Use \"Play\" to play them instead.");
    return text;
}

const QString& nothingToPlayText()
{
    static const QString text =
        QStringLiteral("None of the chosen songs' files can be found, so there is nothing to "
                       "play.");
    return text;
}

} // namespace

PlayCommands::PlayCommands(Services services, QObject* parent)
    : QObject(parent)
    , m_services(std::move(services))
{}

void PlayCommands::adopt(ListWindow* window)
{
    if (!window)
        return;
    auto bind = [this, window](auto signal, Scope scope, Verb verb) {
        connect(window, signal, this, [this, scope, verb](ListWindow* w) { run(w, scope, verb); });
    };
    // A window is adopted at every activation; a lambda cannot be a unique connection, so the
    // window carries the mark of being bound.
    if (window->property("playCommandsBound").toBool())
        return;
    window->setProperty("playCommandsBound", true);
    bind(&ListWindow::playRequested, Scope::Selection, Verb::Play);
    bind(&ListWindow::enqueueRequested, Scope::Selection, Verb::Enqueue);
    bind(&ListWindow::playListRequested, Scope::WholeList, Verb::Play);
    bind(&ListWindow::enqueueListRequested, Scope::WholeList, Verb::Enqueue);
}

QString PlayCommands::playerTemplate(Verb verb) const
{
    const auto& source = verb == Verb::Play ? m_services.playTemplate : m_services.enqueueTemplate;
    return source ? source() : QString();
}

void PlayCommands::noPlayer(Verb verb)
{
    Dialogs& dialogs = *m_services.dialogs;
    const bool playerKnown = !playerTemplate(Verb::Play).trimmed().isEmpty();
    if (verb == Verb::Enqueue && playerKnown) {
        dialogs.message(Dialogs::Kind::Information, noEnqueueText());
        return;
    }
    if (dialogs.message(Dialogs::Kind::Confirmation, noPlayerText()) == Dialogs::Answer::Yes &&
        m_services.playBuiltIn)
        m_services.playBuiltIn();
}

void PlayCommands::run(ListWindow* window, Scope scope, Verb verb)
{
    if (!window)
        return;
    Dialogs& dialogs = *m_services.dialogs;
    try {
        if (scope == Scope::Selection && !window->publishSelection())
            return;
        const std::optional<QString> line = PlayHandoff::commandLine(
            playerTemplate(verb), PlayHandoff::handoffPath(m_services.home));
        if (!line) {
            // The click behaviour puts the first chosen song into the tag editor, which is
            // the song the built-in player plays.
            window->runClickBehaviour();
            noPlayer(verb);
            return;
        }

        const std::vector<ListEntry>& rows = window->model()->entries();
        PlayHandoff::Prepared prepared;
        {
            GaugeRun gauge(m_services.gauge, QString());
            auto progress = [&gauge](int position, int maximum) {
                gauge.progress(position, maximum);
            };
            if (scope == Scope::Selection) {
                // NowSelected ends with the window's name; the lines before it are IDs.
                const QStringList& nowSelected = m_services.shared->nowSelected;
                prepared = PlayHandoff::prepareList(
                    rows, nowSelected.mid(0, nowSelected.size() - 1), progress);
            } else {
                prepared = PlayHandoff::prepareAll(rows, progress);
            }
            window->runClickBehaviour();
        }
        if (prepared.files.isEmpty()) {
            dialogs.message(Dialogs::Kind::Information, nothingToPlayText());
            return;
        }
        PlayHandoff::savePlaylist(PlayHandoff::handoffPath(m_services.home), prepared.files);

        if (const std::optional<QString> failure = DetachedProcess::start(*line)) {
            dialogs.message(Dialogs::Kind::Error,
                            QStringLiteral("The MP3 player could not be started: %1\n\nCommand: %2")
                                .arg(*failure, *line));
            return;
        }
        m_lastCommand = *line;
        PlayHandoff::raiseCounts(*m_services.database, prepared);
        std::vector<std::pair<int, qint64>> shown;
        shown.reserve(prepared.counts.size());
        for (const PlayHandoff::Count& c : prepared.counts)
            shown.emplace_back(c.row, c.played);
        window->model()->setPlayed(shown);
    } catch (const TamboroError& error) {
        dialogs.message(Dialogs::Kind::Error, error.message());
    } catch (const std::exception& error) {
        dialogs.message(Dialogs::Kind::Error, QString::fromLocal8Bit(error.what()));
    }
}
