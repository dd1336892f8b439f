#include "testsupport/ScriptedDialogs.h"

#include <gtest/gtest.h>

namespace {

ScriptedDialogs::Record makeRecord(ScriptedDialogs::Call call, const QString& text = QString(),
                                   const QString& title = QString(),
                                   const QString& detail = QString())
{
    ScriptedDialogs::Record entry;
    entry.call = call;
    entry.text = text;
    entry.title = title;
    entry.detail = detail;
    return entry;
}

ScriptedDialogs::Record messageRecord(Dialogs::Kind kind, const QString& text, const QString& title)
{
    ScriptedDialogs::Record entry = makeRecord(ScriptedDialogs::Call::Message, text, title);
    entry.kind = kind;
    return entry;
}

} // namespace

void ScriptedDialogs::queueAnswer(Answer answer)
{
    m_answers.push_back(answer);
}

void ScriptedDialogs::queueColor(std::optional<QColor> color)
{
    m_colors.push_back(std::move(color));
}

void ScriptedDialogs::queueFont(std::optional<QFont> font, const QColor& color)
{
    m_fonts.push_back({std::move(font), color});
}

void ScriptedDialogs::queueOpenFile(std::optional<QString> path)
{
    m_openFiles.push_back(std::move(path));
}

void ScriptedDialogs::queueSaveFile(std::optional<QString> path)
{
    m_saveFiles.push_back(std::move(path));
}

void ScriptedDialogs::queueFolder(std::optional<QString> path)
{
    m_folders.push_back(std::move(path));
}

void ScriptedDialogs::queuePrompt(std::optional<QString> text)
{
    m_prompts.push_back(std::move(text));
}

void ScriptedDialogs::queueChoice(std::optional<int> index)
{
    m_choices.push_back(index);
}

QList<ScriptedDialogs::Record> ScriptedDialogs::records(Call call) const
{
    QList<Record> result;
    for (const Record& entry : m_records) {
        if (entry.call == call)
            result << entry;
    }
    return result;
}

int ScriptedDialogs::pendingAnswers() const
{
    return int(m_answers.size() + m_colors.size() + m_fonts.size() + m_openFiles.size() +
               m_saveFiles.size() + m_folders.size() + m_prompts.size() + m_choices.size());
}

void ScriptedDialogs::clear()
{
    m_answers.clear();
    m_colors.clear();
    m_fonts.clear();
    m_openFiles.clear();
    m_saveFiles.clear();
    m_folders.clear();
    m_prompts.clear();
    m_choices.clear();
    m_records.clear();
}

bool ScriptedDialogs::record(Record entry, bool hasAnswer)
{
    entry.scripted = hasAnswer;
    m_records << entry;
    if (!hasAnswer && m_strict) {
        ADD_FAILURE() << "unscripted dialog call " << toString(entry.call) << ": \""
                      << entry.text.toStdString() << "\"";
    }
    if (m_onCall)
        m_onCall(entry);
    return hasAnswer;
}

template <typename T>
std::optional<T> ScriptedDialogs::takePath(std::deque<std::optional<T>>& queue, Record entry)
{
    if (!record(std::move(entry), !queue.empty()))
        return std::nullopt;
    // Swapped out rather than moved: GCC's optimiser takes a moved-from optional<QString> for
    // an uninitialised one.
    std::optional<T> answer;
    answer.swap(queue.front());
    queue.pop_front();
    return answer;
}

Dialogs::Answer ScriptedDialogs::message(Kind kind, const QString& text, const QString& title)
{
    if (!record(messageRecord(kind, text, title), !m_answers.empty()))
        return kind == Kind::Confirmation ? Answer::No : Answer::Ok;
    const Answer answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

std::optional<QColor> ScriptedDialogs::pickColor(const QColor& initial)
{
    m_lastInitialColor = initial;
    return takePath(m_colors, makeRecord(Call::PickColor));
}

std::optional<QFont> ScriptedDialogs::pickFont(const QFont& initial, QColor& color)
{
    m_lastInitialFont = initial;
    m_lastInitialFontColor = color;
    if (!record(makeRecord(Call::PickFont), !m_fonts.empty()))
        return std::nullopt;
    FontAnswer answer = std::move(m_fonts.front());
    m_fonts.pop_front();
    if (answer.font && answer.color.isValid())
        color = answer.color;
    return answer.font;
}

std::optional<QString> ScriptedDialogs::openFile(const QString& title, const QString& folder,
                                                 const QString& filter)
{
    return takePath(m_openFiles, makeRecord(Call::OpenFile, folder, title, filter));
}

std::optional<QString> ScriptedDialogs::saveFile(const QString& title, const QString& folder,
                                                 const QString& filter)
{
    return takePath(m_saveFiles, makeRecord(Call::SaveFile, folder, title, filter));
}

std::optional<QString> ScriptedDialogs::pickFolder(const QString& title, const QString& folder)
{
    return takePath(m_folders, makeRecord(Call::PickFolder, folder, title));
}

std::optional<QString> ScriptedDialogs::prompt(const QString& title, const QString& label,
                                               const QString& text)
{
    return takePath(m_prompts, makeRecord(Call::Prompt, label, title, text));
}

std::optional<int> ScriptedDialogs::choose(const QString& title, const QString& text,
                                           const QStringList& buttons)
{
    return takePath(m_choices,
                    makeRecord(Call::Choose, text, title, buttons.join(QLatin1Char('|'))));
}

const char* toString(ScriptedDialogs::Call call)
{
    switch (call) {
    case ScriptedDialogs::Call::Message:
        return "message";
    case ScriptedDialogs::Call::PickColor:
        return "pickColor";
    case ScriptedDialogs::Call::PickFont:
        return "pickFont";
    case ScriptedDialogs::Call::OpenFile:
        return "openFile";
    case ScriptedDialogs::Call::SaveFile:
        return "saveFile";
    case ScriptedDialogs::Call::PickFolder:
        return "pickFolder";
    case ScriptedDialogs::Call::Prompt:
        return "prompt";
    case ScriptedDialogs::Call::Choose:
        return "choose";
    }
    return "?";
}
