#pragma once

#include "ui/Dialogs.h"

#include <QList>
#include <QString>

#include <deque>
#include <functional>

// Dialogs for tests: answers are queued per kind of call beforehand, and every call is recorded
// so that a test can check what was asked. A call finds its answer at the front of its own
// queue; with nothing queued it never blocks but returns what closing the dialog would (Ok for
// an information or error box, No for a confirmation, nothing for pickers and prompts). In
// strict mode such an unscripted call also fails the running test.
class ScriptedDialogs : public Dialogs
{
public:
    enum class Call {
        Message,
        PickColor,
        PickFont,
        OpenFile,
        SaveFile,
        PickFolder,
        Prompt,
        Choose
    };

    struct Record
    {
        Call call = Call::Message;
        Kind kind = Kind::Information; // messages only
        QString text;                  // message text; prompt label; file dialogs: the folder
        QString title;                 // the title asked for (empty: the default caption)
        QString detail;                // file dialogs: the filter; prompt: the text offered;
                                       // choose: the buttons, joined by "|"
        bool scripted = false;         // an answer was queued for it
    };

    // Queuing answers, each for the next call of its kind.
    void queueAnswer(Answer answer);
    void queueColor(std::optional<QColor> color);
    // The font and the colour chosen with it.
    void queueFont(std::optional<QFont> font, const QColor& color = QColor());
    void queueOpenFile(std::optional<QString> path);
    void queueSaveFile(std::optional<QString> path);
    void queueFolder(std::optional<QString> path);
    void queuePrompt(std::optional<QString> text);
    // The index of the button pressed; nothing for a closed box.
    void queueChoice(std::optional<int> index);

    void setStrict(bool strict) { m_strict = strict; }
    // Runs at every call, after it was recorded and before it answers: lets a test look at the
    // windows while the "dialog" is open.
    void setOnCall(std::function<void(const Record&)> onCall) { m_onCall = std::move(onCall); }

    const QList<Record>& records() const { return m_records; }
    QList<Record> records(Call call) const;
    // The message boxes shown, in order.
    QList<Record> messages() const { return records(Call::Message); }
    // Answers queued but never asked for.
    int pendingAnswers() const;
    void clear();

    Answer message(Kind kind, const QString& text, const QString& title = QString()) override;
    std::optional<QColor> pickColor(const QColor& initial) override;
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

    // The initial values the last picker calls were given.
    QColor lastInitialColor() const { return m_lastInitialColor; }
    QFont lastInitialFont() const { return m_lastInitialFont; }
    QColor lastInitialFontColor() const { return m_lastInitialFontColor; }

private:
    struct FontAnswer
    {
        std::optional<QFont> font;
        QColor color;
    };

    // Records the call; tells whether an answer is queued and reports an unscripted call.
    bool record(Record record, bool hasAnswer);
    template <typename T>
    std::optional<T> takePath(std::deque<std::optional<T>>& queue, Record record);

    std::deque<Answer> m_answers;
    std::deque<std::optional<QColor>> m_colors;
    std::deque<FontAnswer> m_fonts;
    std::deque<std::optional<QString>> m_openFiles;
    std::deque<std::optional<QString>> m_saveFiles;
    std::deque<std::optional<QString>> m_folders;
    std::deque<std::optional<QString>> m_prompts;
    std::deque<std::optional<int>> m_choices;
    QList<Record> m_records;
    std::function<void(const Record&)> m_onCall;
    bool m_strict = false;
    QColor m_lastInitialColor;
    QFont m_lastInitialFont;
    QColor m_lastInitialFontColor;
};

const char* toString(ScriptedDialogs::Call call);
