#pragma once

#include "export/HtmlExport.h"

#include <QDialog>
#include <QString>

class Dialogs;
class QCheckBox;
class QPushButton;
class QRadioButton;

// "Generate HTML page from database" (TForm7): the style of the page, the fields it shows and
// whether the secondary figures go with them. Shown without blocking the other windows; it
// keeps its choices from one use to the next. "Generate" asks where the page goes and, on a
// choice, hands the file on and closes; "Close" only closes.
class HtmlOptionsWindow : public QDialog
{
    Q_OBJECT
public:
    explicit HtmlOptionsWindow(Dialogs& dialogs, QWidget* parent = nullptr);

    // The choices as they stand.
    HtmlExport::Options options() const;

    // The save dialog's title and filter.
    static QString saveTitle();
    static QString saveFilter();

    // Where the save dialog opens: the folder of the page written last.
    void setFolder(const QString& folder) { m_folder = folder; }

signals:
    // The user chose the file the page is written to (with an extension).
    void generateRequested(const QString& path);

private:
    void generate();

    Dialogs& m_dialogs;
    QString m_folder;
    QRadioButton* m_withoutTable;
    QRadioButton* m_withTable;
    QCheckBox* m_fields[HtmlExport::fieldCount] = {};
    QCheckBox* m_secondary;
};
