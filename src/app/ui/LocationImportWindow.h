#pragma once

#include <QDialog>

class Dialogs;
class QLineEdit;
class QPushButton;

// "Import locations from database" (TForm14): the path of another installation's song table,
// typed or chosen, and "Import", which is offered only while the path names an existing file.
class LocationImportWindow : public QDialog
{
    Q_OBJECT
public:
    // The file chooser's title and filter. Both spellings of the extension: the Windows
    // program's table is "TAMBORO.DB", ours "tamboro.db", and here the letter case counts.
    static constexpr const char chooserTitle[] = "Select the database to import data from";
    static constexpr const char chooserFilter[] = "Tamboro main databases (*.db *.DB)";

    explicit LocationImportWindow(Dialogs& dialogs, QWidget* parent = nullptr);

    QString path() const;
    // Empties the path field (the window opens so).
    void clearPath();

signals:
    // "Import" was pressed for the file in the path field.
    void importRequested(const QString& path);

private:
    void pathChanged();
    void choose();

    Dialogs& m_dialogs;
    QLineEdit* m_path;
    QPushButton* m_import;
};
