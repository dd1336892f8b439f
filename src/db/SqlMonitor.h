#pragma once

#include <QString>

// Keeps the last statement sent to the engine, for diagnosis when something fails.
class SqlMonitor
{
public:
    void record(const QString& statement) { m_text = statement; }
    const QString& text() const { return m_text; }

private:
    QString m_text;
};
