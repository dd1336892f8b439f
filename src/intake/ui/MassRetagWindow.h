#pragma once

#include "intake/MassRetag.h"

#include <QDialog>

class Dialogs;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
struct ListEntry;

// The "Mass re-tagger" window (TForm13): one row per field that can be set for many songs at
// once, each with a check box saying whether it is changed. Typing in a text box checks its
// row when the text is not empty and unchecks it when it is; the genre row is checked by hand
// only. The window keeps its state from one use to the next.
class MassRetagWindow : public QDialog
{
    Q_OBJECT
public:
    explicit MassRetagWindow(Dialogs& dialogs, QWidget* parent = nullptr);

    // Fills the boxes from a list row: artist, album, comment and year as the row shows them,
    // the genre entry equal to the row's ignoring case (no choice when none is).
    void prefill(const ListEntry& entry);

    // The fields checked now, with their values.
    MassRetag::Values values() const;

    QCheckBox* checkBox(int row) const { return m_checks[row]; }

private:
    // "Mass re-tag!": closes the window accepted unless nothing is checked or the genre row is
    // checked without a genre.
    void confirm();

    Dialogs& m_dialogs;
    QLineEdit* m_artist;
    QComboBox* m_genre;
    QLineEdit* m_album;
    QLineEdit* m_comment;
    QLineEdit* m_year;
    QCheckBox* m_checks[5] = {};
    QPushButton* m_retag;
    QPushButton* m_exit;
};
