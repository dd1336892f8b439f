#pragma once

#include <QProgressBar>

// The progress gauge along the bottom edge of the main window (`Gauge1`): a text, a maximum
// and a position; hidden unless a job runs.
class Gauge : public QProgressBar
{
    Q_OBJECT
public:
    explicit Gauge(QWidget* parent = nullptr)
        : QProgressBar(parent)
    {
        setObjectName(QStringLiteral("Gauge1"));
        setTextVisible(true);
        hide();
    }

    QString gaugeText() const { return m_text; }
    void setGaugeText(const QString& text)
    {
        m_text = text;
        setFormat(text.isEmpty() ? QStringLiteral("%p%") : text + QStringLiteral("  %p%"));
    }
    // Shows the gauge at position 0 of `maximum`.
    void start(const QString& text, int maximum)
    {
        setGaugeText(text);
        setRange(0, qMax(maximum, 1));
        setValue(0);
        show();
    }
    // Hides the gauge and clears its text.
    void finish()
    {
        setGaugeText(QString());
        hide();
    }

private:
    QString m_text;
};
