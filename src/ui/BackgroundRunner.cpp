#include "ui/BackgroundRunner.h"

#include "platform/Errors.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QWidget>

#include <exception>
#include <memory>

namespace BackgroundRunner {

std::optional<QString> run(QWidget* window, const Job& job, const Progress& onProgress,
                           const QString& unknownErrorText)
{
    const bool wasDisabled = window && window->testAttribute(Qt::WA_ForceDisabled);
    if (window)
        window->setEnabled(false);

    // Progress calls are queued to an object of this run alone: flushing its events at the end
    // delivers what is left without touching anything else queued for the window, and when it
    // goes, anything still queued for it goes too.
    QObject receiver;
    const Progress post = [&receiver, &onProgress](int position, int maximum, const QString& text) {
        QMetaObject::invokeMethod(
            &receiver,
            [&onProgress, position, maximum, text] { onProgress(position, maximum, text); },
            Qt::QueuedConnection);
    };

    // The exception is only carried over here: its text is made on this thread.
    std::exception_ptr failure;
    const std::unique_ptr<QThread> worker(QThread::create([&job, &post, &failure] {
        try {
            job(post);
        } catch (...) {
            failure = std::current_exception();
        }
    }));
    QEventLoop loop;
    QObject::connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit);
    worker->start();
    // A quit of the application ends every running event loop, and no loop runs again until
    // it is over: then the job is simply waited for.
    while (!worker->isFinished()) {
        if (loop.exec() < 0)
            break;
    }
    worker->wait();

    QCoreApplication::sendPostedEvents(&receiver, QEvent::MetaCall);
    if (window && !wasDisabled)
        window->setEnabled(true);
    if (!failure)
        return std::nullopt;
    return errorText(failure, unknownErrorText);
}

} // namespace BackgroundRunner
