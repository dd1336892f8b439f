#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>

// One component under test: how it takes a byte input, and the seeds it starts from when the
// seed folder holds none. run() may throw the component's own errors (TamboroError and its
// kinds); anything else it throws, and any sanitizer report, is a finding.
struct FuzzTarget
{
    QString name;
    // The largest input worth making: beyond it a mutant only costs time.
    qsizetype maxSize = 64 * 1024;
    // True when the component accepted the input (read it without an error): a run in which
    // almost nothing is accepted only tests the first checks.
    std::function<bool(const QByteArray&)> run;
    // Seeds built from the committed fixtures (fixtures: the tests/data folder).
    std::function<QList<QByteArray>(const QString& fixtures)> makeSeeds;
};

QList<FuzzTarget> fuzzTargets();
