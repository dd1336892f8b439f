#pragma once

#include "db/Maintenance.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;

// The re-index dialog (`TForm10`): what re-indexing does, the advice for the table as it is,
// and the buttons "Re-index" and "Close".
class ReindexDialog : public QDialog
{
    Q_OBJECT
public:
    explicit ReindexDialog(QWidget* parent = nullptr);

    // The advice line in its colour: blue for too few rows, green when no gap, red otherwise.
    void setAdvice(Maintenance::ReindexAdvice advice);
    QLabel* adviceLabel() const { return m_advice; }
    QPushButton* reindexButton() const { return m_reindex; }
    QPushButton* closeButton() const { return m_close; }

    static QColor adviceColor(Maintenance::ReindexAdvice advice);

signals:
    void reindexRequested();

private:
    QLabel* m_advice;
    QPushButton* m_reindex;
    QPushButton* m_close;
};

// The delete dialog (`TForm12`): whether the selected songs' rows go, and their files.
class DeleteDialog : public QDialog
{
    Q_OBJECT
public:
    explicit DeleteDialog(QWidget* parent = nullptr);

    // The boxes as every opening sets them: rows ticked, files not.
    void reset();
    QCheckBox* recordsBox() const { return m_records; }
    QCheckBox* filesBox() const { return m_files; }
    QPushButton* deleteButton() const { return m_delete; }
    QPushButton* cancelButton() const { return m_cancel; }

private:
    QCheckBox* m_records;
    QCheckBox* m_files;
    QPushButton* m_delete;
    QPushButton* m_cancel;
};
