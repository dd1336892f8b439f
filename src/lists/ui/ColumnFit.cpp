#include "lists/ui/ColumnFit.h"

#include "lists/ui/ListModel.h"

#include <algorithm>
#include <functional>
#include <utility>

namespace ColumnFit {

namespace {

// The rows of the longest texts of one column, by number of characters.
class LongestTexts
{
public:
    void offer(qsizetype length, std::size_t row)
    {
        if (m_heap.size() < std::size_t(measuredTexts)) {
            m_heap.emplace_back(length, row);
            std::push_heap(m_heap.begin(), m_heap.end(), std::greater<>());
        } else if (length > m_heap.front().first) {
            std::pop_heap(m_heap.begin(), m_heap.end(), std::greater<>());
            m_heap.back() = {length, row};
            std::push_heap(m_heap.begin(), m_heap.end(), std::greater<>());
        }
    }
    const std::vector<std::pair<qsizetype, std::size_t>>& rows() const { return m_heap; }

private:
    // A min-heap: its front is the shortest text kept, the first to give way.
    std::vector<std::pair<qsizetype, std::size_t>> m_heap;
};

} // namespace

std::vector<int> widths(const std::vector<ListEntry>& rows, const std::vector<int>& minimums,
                        const QStringList& captions, const Measure& measure)
{
    const int columns = int(minimums.size());
    std::vector<LongestTexts> longest(minimums.size());
    for (std::size_t row = 0; row < rows.size(); ++row) {
        for (int column = 0; column < columns; ++column) {
            if (minimums[std::size_t(column)] > 0)
                longest[std::size_t(column)].offer(ListModel::value(rows[row], column).size(), row);
        }
    }

    std::vector<int> result(minimums.size(), 0);
    for (int column = 0; column < columns; ++column) {
        const int minimum = minimums[std::size_t(column)];
        if (minimum <= 0)
            continue;
        int content =
            measure.header.horizontalAdvance(captions.value(column)) + measure.headerPadding;
        const int padding = measure.cellPadding + (column == 0 ? measure.firstColumnExtra : 0);
        for (const auto& [length, row] : longest[std::size_t(column)].rows()) {
            const QString& text = ListModel::value(rows[row], column);
            content = std::max(content, measure.rows.horizontalAdvance(text) + padding);
        }
        result[std::size_t(column)] = std::max(minimum, std::min(content, widest));
    }
    return result;
}

} // namespace ColumnFit
