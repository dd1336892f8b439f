#pragma once

#include "platform/ShellVerbs.h"

// The registered player's command lines for tests: whatever the test sets, returned raw as the
// desktop would register them. Counts the reads so that a test can see when they happen.
class FakeShellVerbs final : public ShellVerbs
{
public:
    FakeShellVerbs() = default;
    FakeShellVerbs(QString play, QString enqueue)
        : m_commands{std::move(play), std::move(enqueue)}
    {}

    void set(QString play, QString enqueue) { m_commands = {std::move(play), std::move(enqueue)}; }

    PlayerCommands read() const override
    {
        ++m_reads;
        return m_commands;
    }
    int reads() const { return m_reads; }

private:
    PlayerCommands m_commands;
    mutable int m_reads = 0;
};
