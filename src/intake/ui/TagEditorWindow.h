#pragma once

#include "intake/TagSave.h"
#include "lists/ui/ItemInfoSink.h"

#include <QWidget>

class Dialogs;
class UQuery;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The "ID3 Tag Editor" (Form3): a small tool window above the main window that shows the song
// last picked in a list window and lets the user change its tag texts. It holds no state of its
// own beyond its controls, but for the year as stored: the year box shows four characters.
//
// "Save changes" writes the row through `update` (the main window's change query) and the
// file's tag (TagSave), then asks for the lists to be refreshed; errors go to the error box.
class TagEditorWindow : public QWidget, public ItemInfoSink
{
    Q_OBJECT
public:
    TagEditorWindow(UQuery& update, QString home, Dialogs& dialogs, QWidget* parent = nullptr);

    // Fills every control from a list row; nothing of the row shown before stays. A genre that is
    // not exactly one of the pick list's entries leaves no choice; a location without a known
    // medium marker shows no picture.
    void submitItemInfo(const ListEntry& entry) override;
    void setSaveEnabled(bool enabled) override;

    // What "Save changes" would save now. The year is the one stored for the song unless the
    // user typed in the year box: a stored year longer than the box ("2001-05-03") is kept
    // whole by a save that changed something else.
    TagSave::Fields fields() const;

signals:
    // The user closed the window with its close box.
    void closedByUser();
    // A save changed the song table: every list window must run its query again.
    void refreshListsRequested();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void saveChanges();
    void chooseGenre(const QString& genre);
    void showMedium(const QString& location);

    UQuery& m_update;
    QString m_home;
    Dialogs& m_dialogs;
    // The year of the song loaded last, whole.
    QString m_storedYear;

    QLineEdit* m_artist;
    QLineEdit* m_title;
    QLineEdit* m_filename;
    QLineEdit* m_album;
    QLineEdit* m_comment;
    QLineEdit* m_year;
    QComboBox* m_genre;
    QLabel* m_id;
    QLabel* m_frequency;
    QLabel* m_bitrate;
    QLabel* m_mediumPicture;
    QLabel* m_location;
    QLabel* m_played;
    QPushButton* m_save;
    // The pictures of the medium kinds: hard disk, CD, network share.
    QLabel* m_hardDiskPicture;
    QLabel* m_cdPicture;
    QLabel* m_networkPicture;
};
