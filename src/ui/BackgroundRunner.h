#pragma once

#include <QString>

#include <functional>
#include <optional>

class QWidget;

// Long jobs (an add, a re-index, a mass re-tag, an export, a copy) run on a thread of their
// own while the GUI thread keeps every window painted. Progress has the shape of the gauge
// every such job drives (a position out of a maximum, and a text), so one sink serves them all;
// the job's result is whatever it leaves in variables it captured, read once run() returns.
namespace BackgroundRunner {

// How far the job got. The job may call it from its thread as often as it likes: each call is
// handed over to the GUI thread.
using Progress = std::function<void(int position, int maximum, const QString& text)>;
using Job = std::function<void(const Progress& progress)>;

// Runs `job` on a worker thread and returns when it is over. Meanwhile `window` takes no input
// (it is disabled and enabled again afterwards, unless it was disabled before), and
// `onProgress` receives the job's progress calls on this thread in the order they were made;
// every one of them has arrived when run() returns, none arrives later. A quit of the
// application during the run does not cut it short: the job is waited for, so that what it
// started (a transaction) is finished or undone before anything else happens.
//
// Returns nothing when the job finished, else the text of the exception that stopped it;
// `unknownErrorText` stands for an exception that carries no text.
std::optional<QString> run(QWidget* window, const Job& job, const Progress& onProgress,
                           const QString& unknownErrorText = QString());

} // namespace BackgroundRunner
