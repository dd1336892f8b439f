#pragma once

#include "lists/ui/ItemInfoSink.h"

#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The "ID3 Tag Editor" (Form3): a small tool window above the main window that shows the song
// last picked in a list window and lets the user change its tag texts. It holds no state of its
// own beyond its controls.
class TagEditorWindow : public QWidget, public ItemInfoSink
{
    Q_OBJECT
public:
    explicit TagEditorWindow(QWidget* parent = nullptr);

    // Fills every control from a list row; nothing of the row shown before stays. A genre that is
    // not exactly one of the pick list's entries leaves no choice; a location without a known
    // medium marker shows no picture.
    void submitItemInfo(const ListEntry& entry) override;
    void setSaveEnabled(bool enabled) override;

signals:
    // The user closed the window with its close box.
    void closedByUser();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void chooseGenre(const QString& genre);
    void showMedium(const QString& location);

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
