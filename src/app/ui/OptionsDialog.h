#pragma once

#include "settings/ColorText.h"

#include <QDialog>
#include <QString>

#include <array>

class Dialogs;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class SettingsStore;

// The Options dialog (Form8): colours and font of the list windows, their columns, the album
// sort rules, the FastSearch join word, removing the cache of parameter requests, and how tags
// are read (ID3v2 tags of files without an ID3v1 tag, the code page of ID3v1 text), and the
// central server of Internet searches. The
// dialog lives as long as the program and is shown modally; every time it is shown it loads
// the settings afresh, and only OK writes them back (the font colour is the exception: picking
// one stores it at once).
class OptionsDialog : public QDialog
{
    Q_OBJECT
public:
    OptionsDialog(SettingsStore& settings, Dialogs& dialogs, QString home,
                  QWidget* parent = nullptr);

    // The colours the swatches show, as the settings hold them.
    TColor backColor() const { return m_backColor; }
    TColor fontColor() const { return m_fontColor; }

    // Loads every control from the settings (defaults for missing values) and enables the cache
    // button exactly when the cache file exists. Runs whenever the dialog is shown.
    void formActivate();

    // Makes the stored code page of ID3v1 text the one every tag reader of the program uses.
    // Returns why Windows-1252 is used instead when this system lacks the stored one, else "".
    static QString applyTagCodePage(const SettingsStore& settings);

signals:
    // OK wrote the settings: the list windows are to take the new colours, font and columns.
    void settingsApplied();
    // The cache file of parameter requests was deleted: its menu is to be emptied.
    void parameterCacheCleared();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The flags of the page "Visual", in the order of their check boxes.
    static constexpr int kColumnCount = 8;

    QWidget* buildVisualPage();
    QWidget* buildOtherPage();

    void setBackColor(TColor color);
    void setFontColor(TColor color);
    // Reads one colour value; a text that is no colour is reported and the default shown.
    TColor loadColor(const QString& name);

    void pickBackColor();
    void pickFontColor();
    void pickFont();
    void resetVisual();
    void resetOther();
    void sortAlbumsClicked(bool checked);
    void clearParameterCache();
    void applyAndClose();
    void reportError(const QString& text);

    SettingsStore& m_settings;
    Dialogs& m_dialogs;
    QString m_home;

    TColor m_backColor = ColorText::clWindow;
    TColor m_fontColor = ColorText::clWindowText;

    QPushButton* m_backColorSwatch = nullptr;
    QPushButton* m_fontColorSwatch = nullptr;
    QLineEdit* m_fontEdit = nullptr;
    std::array<QCheckBox*, kColumnCount> m_columnChecks{};
    QCheckBox* m_sortAlbums = nullptr;
    QCheckBox* m_sortAlbumsBack = nullptr;
    QRadioButton* m_orRadio = nullptr;
    QRadioButton* m_andRadio = nullptr;
    QPushButton* m_clearCache = nullptr;
    QCheckBox* m_readId3v2 = nullptr;
    QComboBox* m_codePage = nullptr;
    QLabel* m_codePageNote = nullptr;
    QLineEdit* m_centralServer = nullptr;
};
