#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>

#include <optional>

// Every modal interaction of the program goes through this interface, so that windows can be
// driven without a person at the screen: the program installs QtDialogs, tests a scripted one.
class Dialogs
{
public:
    enum class Kind { Information, Error, Confirmation };
    enum class Answer { Ok, Yes, No, Cancel };

    virtual ~Dialogs() = default;

    // A message box. Information and Error have one OK button (answer Ok); Confirmation has
    // Yes and No.
    virtual Answer message(Kind kind, const QString& text, const QString& title = QString()) = 0;

    // Pickers: nothing when the user cancels.
    virtual std::optional<QColor> pickColor(const QColor& initial) = 0;
    // The font face chosen (a family; the list windows keep no size or style) and, through
    // `color`, the colour chosen with it.
    virtual std::optional<QFont> pickFont(const QFont& initial, QColor& color) = 0;
    virtual std::optional<QString> openFile(const QString& title, const QString& folder,
                                            const QString& filter) = 0;
    virtual std::optional<QString> saveFile(const QString& title, const QString& folder,
                                            const QString& filter) = 0;
    virtual std::optional<QString> pickFolder(const QString& title, const QString& folder) = 0;
    // The one-line text prompt.
    virtual std::optional<QString> prompt(const QString& title, const QString& label,
                                          const QString& text) = 0;
    // A question with buttons of its own, the first the default: the index of the button
    // pressed, nothing when the box was closed.
    virtual std::optional<int> choose(const QString& title, const QString& text,
                                      const QStringList& buttons) = 0;
};
