#pragma once

#include <QElapsedTimer>
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

// One job shown on the gauge (which may be null): the text at once, the range with the first
// progress report, and the gauge hidden again when the job ends, also when it ends with an
// exception. Repaints at most every 50 ms: a repaint per step would cost more than the step.
class GaugeRun
{
public:
    GaugeRun(Gauge* gauge, const QString& text)
        : m_gauge(gauge)
    {
        if (m_gauge)
            m_gauge->setGaugeText(text);
    }
    ~GaugeRun()
    {
        if (m_gauge)
            m_gauge->finish();
    }
    GaugeRun(const GaugeRun&) = delete;
    GaugeRun& operator=(const GaugeRun&) = delete;

    void progress(int handled, int total)
    {
        if (!m_gauge)
            return;
        if (!m_started) {
            m_gauge->start(m_gauge->gaugeText(), total);
            m_started = true;
            m_sinceUpdate.start();
        }
        if (handled == total || m_sinceUpdate.elapsed() >= 50) {
            m_gauge->setValue(handled);
            m_sinceUpdate.restart();
        }
    }

private:
    Gauge* m_gauge;
    bool m_started = false;
    QElapsedTimer m_sinceUpdate;
};
