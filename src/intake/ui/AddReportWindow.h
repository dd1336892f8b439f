#pragma once

#include "intake/IntakeRun.h"

#include <QDialog>

#include <functional>

class Dialogs;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

// The add report "Add files to database" (Form6): the figures of the last add run and the
// files that did not go in as they were (doubles, bad files) or were recognised from their
// names. The user can save the list as a text file and ask for a user list of the songs added.
//
// Controls: GroupBox1 " Statistics " with the six figures (AddedFigure, DoublesFigure,
// BadFigure, TotalFigure, FullFigure, PartialFigure), GroupBox2 " Report  " with the list
// ListView1 and its legend, the read-only file name box Edit1, CheckBox1 "Make a user list of
// added items", Button1 "Save report" and Button2 "Close".
class AddReportWindow : public QDialog
{
    Q_OBJECT
public:
    explicit AddReportWindow(Dialogs& dialogs, QWidget* parent = nullptr);

    // The start of an add: empties the list and the file name box, sets the total, every
    // other figure to 0.
    void clear(int total);
    // The end of an add: the rows in the order they happened, the figures, and the (stored)
    // file names of the songs inserted, for the user list.
    void showResult(const IntakeResult& result);

    // Shows the window modally, or, when `setShowsModally(false)` was called, without
    // waiting (tests look at it and press its buttons).
    void present();
    void setShowsModally(bool modally) { m_showsModally = modally; }

    // How a saved report is opened with the desktop's application for its type; false when no
    // program could open it. Tests record the call instead of starting a program.
    void setFileOpener(std::function<bool(const QString& path)> opener);

    const QList<ReportRow>& rows() const { return m_rows; }

signals:
    // "Close" (or closing the window otherwise): the lists should show the songs just added.
    void refreshListsRequested();
    // "Close" with "Make a user list of added items" ticked: the stored names of the songs
    // inserted by the run, possibly none.
    void userListOfAddedRequested(const QStringList& insertedNames);
    // The report was closed; the add-files window closes with it.
    void closed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

public slots:
    void reject() override;

private:
    void saveReport();
    void closeReport();
    void showSelectedFileName();
    void fitColumns();

    Dialogs& m_dialogs;
    QLabel* m_added;
    QLabel* m_doubles;
    QLabel* m_bad;
    QLabel* m_total;
    QLabel* m_full;
    QLabel* m_partial;
    QLabel* m_moved;
    QTreeWidget* m_list;
    QLineEdit* m_fileName;
    QCheckBox* m_makeUserList;
    QPushButton* m_save;
    QPushButton* m_close;
    QList<ReportRow> m_rows;
    QStringList m_inserted;
    std::function<bool(const QString&)> m_openFile;
    bool m_showsModally = true;
    bool m_closing = false;
};
