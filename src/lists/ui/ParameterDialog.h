#pragma once

#include "lists/ParameterQuery.h"

#include <QDialog>

#include <array>

class Dialogs;
class Gauge;
class QListView;
class QPushButton;
class SongDatabase;

namespace ParameterDialogDetail {
class ValueListModel;
}

// "Load a list by specifying parameters" (Form4): five lists of values with a check box per
// row (ListView1 artists, ListView2 genres, ListView3 mediums with the picture of their kind,
// ListView4 albums, ListView5 years), "&Load list" (BitBtn1, the default button) and "Close"
// (BitBtn2). Every showing fills the lists afresh from the value files, all rows unticked. A
// click on a row, or the space bar, toggles its tick.
//
// "&Load list" makes the request of the ticked rows, hands it on with loadRequested() when a
// row was ticked, and closes the dialog; opening the window is the main window's timer step.
class ParameterDialog : public QDialog
{
    Q_OBJECT
public:
    // `gauge` is the main window's progress gauge (Gauge1); it may be null.
    ParameterDialog(SongDatabase& database, Dialogs& dialogs, Gauge* gauge,
                    QWidget* parent = nullptr);
    ~ParameterDialog() override;

    using Kind = ValueFiles::Kind;

    // Fills the five lists (FormActivate): from the value files, built first when missing. A
    // failure is reported in the error box and leaves the lists empty.
    void formActivate();

    QListView* list(Kind kind) const;
    // The captions of a list's rows, top to bottom.
    QStringList captions(Kind kind) const;
    // The row's icon is the medium picture of this marker; null for none.
    QChar marker(Kind kind, int row) const;
    bool isTicked(Kind kind, int row) const;
    void toggle(Kind kind, int row);

    // The ten texts of the last "&Load list".
    const ParameterQuery::Request& request() const { return m_request; }

public slots:
    void loadList(); // BitBtn1Click

signals:
    void loadRequested(const ParameterQuery::Request& request);

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ParameterDialogDetail::ValueListModel* model(Kind kind) const;

    SongDatabase& m_database;
    Dialogs& m_dialogs;
    Gauge* m_gauge;
    std::array<QListView*, ValueFiles::kindCount> m_lists{};
    std::array<ParameterDialogDetail::ValueListModel*, ValueFiles::kindCount> m_models{};
    QPushButton* m_load = nullptr;
    QPushButton* m_close = nullptr;
    ParameterQuery::Request m_request;
};
