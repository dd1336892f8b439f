#pragma once

#include "ui/Dialogs.h"

// The dialogs a person sees: Qt's message boxes, pickers and prompts, each modal to the window
// that is active when it is asked for. Message boxes carry the caption "Tamboro 3" unless the
// caller gives one.
class QtDialogs : public Dialogs
{
public:
    Answer message(Kind kind, const QString& text, const QString& title = QString()) override;
    std::optional<QColor> pickColor(const QColor& initial) override;
    // Qt's font chooser with a colour button below it.
    std::optional<QFont> pickFont(const QFont& initial, QColor& color) override;
    std::optional<QString> openFile(const QString& title, const QString& folder,
                                    const QString& filter) override;
    std::optional<QString> saveFile(const QString& title, const QString& folder,
                                    const QString& filter) override;
    std::optional<QString> pickFolder(const QString& title, const QString& folder) override;
    std::optional<QString> prompt(const QString& title, const QString& label,
                                  const QString& text) override;
    std::optional<int> choose(const QString& title, const QString& text,
                              const QStringList& buttons) override;
};
