#include "Mutator.h"

#include <utility>

namespace {

// Values that sit on the edges of signed and unsigned bytes, where length and flag checks go
// wrong most often.
constexpr char Interesting[] = {0, char(0xFF), 0x7F, char(0x80), 1, char(0xFE)};

} // namespace

Mutator::Mutator(QList<QByteArray> seeds, std::uint64_t seed, qsizetype maxSize)
    : m_seeds(std::move(seeds))
    , m_random(seed)
    , m_maxSize(maxSize)
{
    if (m_seeds.isEmpty())
        m_seeds.append(QByteArray());
}

qsizetype Mutator::below(qsizetype bound)
{
    if (bound <= 0)
        return 0;
    return qsizetype(m_random() % std::uint64_t(bound));
}

QByteArray Mutator::next()
{
    QByteArray data = m_seeds.at(below(m_seeds.size()));
    const qsizetype count = 1 + below(8);
    for (qsizetype i = 0; i < count; ++i)
        mutateOnce(data);
    if (data.size() > m_maxSize)
        data.truncate(m_maxSize);
    return data;
}

void Mutator::mutateOnce(QByteArray& data)
{
    const qsizetype size = data.size();
    switch (below(8)) {
    case 0: // flip one bit
        if (size > 0) {
            const qsizetype at = below(size);
            data[at] = char(data.at(at) ^ (1 << below(8)));
        }
        break;
    case 1: // set a byte to an edge value
        if (size > 0)
            data[below(size)] = Interesting[below(sizeof Interesting)];
        break;
    case 2: // set a byte to anything
        if (size > 0)
            data[below(size)] = char(below(256));
        break;
    case 3: { // insert a few bytes
        const qsizetype at = below(size + 1);
        const qsizetype length = 1 + below(16);
        QByteArray inserted(length, Qt::Uninitialized);
        const bool edge = below(2) == 0;
        for (char& c : inserted)
            c = edge ? Interesting[below(sizeof Interesting)] : char(below(256));
        data.insert(at, inserted);
        break;
    }
    case 4: { // delete a run of bytes
        if (size == 0)
            break;
        const qsizetype at = below(size);
        data.remove(at, 1 + below(qMin<qsizetype>(64, size - at)));
        break;
    }
    case 5: // cut the end off
        data.truncate(below(size + 1));
        break;
    case 6: { // splice: the head of this input and the tail of another seed
        const QByteArray& other = m_seeds.at(below(m_seeds.size()));
        const qsizetype from = below(other.size() + 1);
        data = data.left(below(size + 1)) + other.mid(from);
        break;
    }
    default: { // copy a run of bytes over another place of the same input
        if (size < 2)
            break;
        const qsizetype from = below(size);
        const qsizetype to = below(size);
        const qsizetype length = 1 + below(qMin(size - from, size - to));
        const QByteArray run = data.mid(from, length);
        data.replace(to, run.size(), run);
        break;
    }
    }
}
