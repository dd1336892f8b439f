#pragma once

#include <QByteArray>
#include <QList>

#include <cstdint>
#include <random>

// Makes mutants of seed inputs. The sequence of mutants depends only on the seed number and the
// seeds, so a run can be repeated exactly: a finding names its iteration, and the same command
// line reaches it again.
class Mutator
{
public:
    Mutator(QList<QByteArray> seeds, std::uint64_t seed, qsizetype maxSize);

    // The next input: a seed with one to eight mutations stacked on it.
    QByteArray next();

private:
    qsizetype below(qsizetype bound); // uniform in [0, bound), 0 when bound <= 0
    void mutateOnce(QByteArray& data);

    QList<QByteArray> m_seeds;
    std::mt19937_64 m_random;
    qsizetype m_maxSize;
};
