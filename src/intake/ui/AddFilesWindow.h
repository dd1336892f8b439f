#pragma once

#include "intake/IntakeRun.h"
#include "platform/Volumes.h"

#include <QDialog>
#include <QList>
#include <QStringList>

#include <optional>

class AddReportWindow;
class Dialogs;
class Gauge;
class QCheckBox;
class QComboBox;
class QFileSystemModel;
class QLabel;
class QLineEdit;
class QListWidget;
class QRadioButton;
class QToolButton;
class QTreeView;
class SettingsStore;

// "Submit files to database" (Form5): the user picks a medium, queues MP3 and WMA files from
// it and starts the add; the report window (Form6, owned here) then shows what happened.
//
// Controls: DriveComboBox1 (the media), DirectoryListBox1 (folder tree of the chosen medium),
// FileListBox1 (the songs of the current folder, "*.mp3" and "*.wma" in any letter case),
// Filez (the add queue, also a drop target for FileListBox1), Edit3 with Label2 "Medium:",
// the hidden RadioButton1 (read-only or full medium) and RadioButton2 (writable disk),
// CheckBox1 "Add same files from different mediums", Label1 (queue count), SpeedButton1 to
// SpeedButton7.
//
// The add runs on a worker thread with a song-table connection of its own, so this window and
// the main window's gauge keep painting; meanwhile the window takes no input and cannot be
// closed, and as a modal window it keeps every other command away.
class AddFilesWindow : public QDialog
{
    Q_OBJECT
public:
    // `gauge` is the main window's progress gauge (Gauge1); it may be null.
    AddFilesWindow(QString home, SettingsStore& settings, Dialogs& dialogs, Volumes& volumes,
                   Gauge* gauge, QWidget* parent = nullptr);
    ~AddFilesWindow() override;

    AddReportWindow* reportWindow() const { return m_report; }

    // The add queue: full file names in order.
    const QStringList& queue() const { return m_queue; }
    // The current folder, whose songs FileListBox1 shows.
    const QString& folder() const { return m_folder; }
    void setFolder(const QString& folder);

    // What the next add would be given: medium name, marker, writable medium, the scope of
    // the duplicate test.
    IntakeOptions intakeOptions() const;
    bool isRunning() const { return m_running; }

    // Rebuilds the medium box from the media present now, keeping the chosen medium; when it
    // went away the first medium ("/") is chosen instead. The drive poll calls it.
    void fillVolumes();

public slots:
    void queueSelected();  // SpeedButton5 and a drop onto Filez
    void queueAll();       // SpeedButton3
    void removeSelected(); // SpeedButton7
    void removeAll();      // SpeedButton2
    void scan();           // SpeedButton1
    void browseFolder();   // SpeedButton6
    void addFiles();       // SpeedButton4
    void reject() override;

signals:
    // The report was closed: the lists should show the songs just added.
    void refreshListsRequested();
    // ... and the user asked for a user list of them (stored file names, possibly none).
    void userListOfAddedRequested(const QStringList& insertedNames);

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void activate();
    void chooseVolume(int index);
    void applyVolume(const VolumeInfo& volume);
    int volumeIndexOf(const QString& path) const;
    void fillFileList();
    void queueFiles(bool selectedOnly);
    void showQueue();
    void storeSameFilesSetting(bool checked);
    void setGauge(int position, int maximum, const QString& text);
    // Runs the add on a worker thread while this thread keeps the windows painted. Returns
    // the error text when the run failed.
    std::optional<QString> runOnWorker(const QStringList& queue, const IntakeOptions& options,
                                       IntakeResult& result);

    QString m_home;
    SettingsStore& m_settings;
    Dialogs& m_dialogs;
    Volumes& m_volumes;
    Gauge* m_gauge;

    QComboBox* m_drives;
    QTreeView* m_folders;
    QFileSystemModel* m_folderModel;
    QListWidget* m_files;
    QListWidget* m_queueList;
    QLineEdit* m_medium;
    QRadioButton* m_fullMedium;
    QRadioButton* m_writableMedium;
    QCheckBox* m_sameFiles;
    QLabel* m_count;
    QList<QToolButton*> m_buttons;
    AddReportWindow* m_report;

    QList<VolumeInfo> m_volumeList;
    QStringList m_queue;
    QString m_folder;
    bool m_running = false;
};
