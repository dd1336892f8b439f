#pragma once

#include "export/FileCopy.h"

#include <QDialog>
#include <QStringList>

#include <atomic>

class Dialogs;
class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

// The window "Copying files..." (`TForm9`): an animation, the file being copied, a progress
// bar and Cancel, centred on the screen. Once it is showing, the files are copied on a worker
// thread while it stays painted; a file already in the folder brings up the question Replace /
// Skip / Replace all / Cancel here, on the GUI thread. The window closes itself 750 ms after
// the last copy (`Timer1`).
class CopyWindow : public QDialog
{
    Q_OBJECT
public:
    explicit CopyWindow(Dialogs& dialogs, QWidget* parent = nullptr);

    // Shows the window modally, copies `sources` into `folder` and returns what became of
    // them once the window has closed.
    FileCopy::Result copy(const QStringList& sources, const QString& folder);

    QString destination() const { return m_destination; }
    bool isCopying() const { return m_copying; }
    QProgressBar* progressBar() const { return m_progress; }
    QPushButton* cancelButton() const { return m_cancelButton; }
    QTimer* closeTimer() const { return m_timer; }

    // Escape and the title bar's close button cancel, as Cancel does; the window itself closes
    // only when the copies are over.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void startCopies();
    void requestCancel();
    FileCopy::Existing askExisting(const QString& target);

    Dialogs& m_dialogs;
    QWidget* m_animation;
    QLabel* m_fileLabel;
    QLabel* m_folderLabel;
    QProgressBar* m_progress;
    QPushButton* m_cancelButton;
    QTimer* m_timer;

    QStringList m_sources;
    QString m_destination;
    FileCopy::Result m_result;
    std::atomic<bool> m_cancel = false;
    bool m_pending = false;
    bool m_copying = false;
};
