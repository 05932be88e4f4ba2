#include "store/DateOrder.h"

#include <algorithm>
#include <numeric>

// How the exchange sort orders items of one date v: only items dated v or later matter to them.
// Each pass of the exchange sort takes the latest remaining item to the front; while a later item
// remains, a pass that finds an item of date v before any later one carries that item past the
// other v items up to the next later item. So, reading the list in order, the v items form a
// queue that each later item turns by one: the first goes last. The queue read at the end is
// their order.
namespace {

// Counts over positions, and the k-th position still free.
class PositionTree {
public:
    explicit PositionTree(int size) : tree_(std::size_t(size) + 1, 0) {}
    void Add(int position, int amount) {
        for (int i = position + 1; i < int(tree_.size()); i += i & -i)
            tree_[std::size_t(i)] += amount;
    }
    // The sum over positions before `position`.
    int Before(int position) const {
        int sum = 0;
        for (int i = position; i > 0; i -= i & -i)
            sum += tree_[std::size_t(i)];
        return sum;
    }
    // The position at which the sum, counted from the first, passes `k` (0-based).
    int Find(int k) const {
        int position = 0;
        int step = 1;
        while (step * 2 < int(tree_.size()))
            step *= 2;
        for (; step > 0; step /= 2)
            if (position + step < int(tree_.size()) && tree_[std::size_t(position + step)] <= k) {
                position += step;
                k -= tree_[std::size_t(position)];
            }
        return position;
    }

private:
    std::vector<int> tree_;
};

// The queue of one date's items, given where they stand and how many later items follow each.
// The queue is a list read from a head: an item joins just before the head, a turn moves the
// head on. Where each item lands is worked out backwards, each taking the free place its
// joining position names.
std::vector<int> QueueOrder(const std::vector<int>& positions, const std::vector<int>& turnsAfter) {
    const int count = int(positions.size());
    std::vector<int> joinedAt(std::size_t(count), 0);
    int head = 0;
    for (int i = 0; i < count; ++i) {
        joinedAt[std::size_t(i)] = head;
        head = (head + 1 + turnsAfter[std::size_t(i)]) % (i + 1);
    }
    PositionTree free(count);
    for (int i = 0; i < count; ++i)
        free.Add(i, 1);
    std::vector<int> list(std::size_t(count), 0);
    for (int i = count - 1; i >= 0; --i) {
        const int place = free.Find(joinedAt[std::size_t(i)]);
        list[std::size_t(place)] = positions[std::size_t(i)];
        free.Add(place, -1);
    }
    std::rotate(list.begin(), list.begin() + head, list.end());
    return list;
}

} // namespace

void SortLatestFirst(std::vector<CFeedItemRecord>& items) {
    const int count = int(items.size());
    std::vector<int> byDate(static_cast<std::size_t>(count));
    std::iota(byDate.begin(), byDate.end(), 0);
    std::stable_sort(byDate.begin(), byDate.end(), [&](int a, int b) {
        return items[std::size_t(a)].ItemDate > items[std::size_t(b)].ItemDate;
    });
    PositionTree later(count);
    std::vector<CFeedItemRecord> sorted;
    sorted.reserve(items.size());
    for (int first = 0; first < count;) {
        int last = first;
        const QDateTime& date = items[std::size_t(byDate[std::size_t(first)])].ItemDate;
        while (last < count && !(date > items[std::size_t(byDate[std::size_t(last)])].ItemDate))
            ++last;
        std::vector<int> positions(byDate.begin() + first, byDate.begin() + last);
        std::sort(positions.begin(), positions.end());
        std::vector<int> turns(positions.size());
        for (std::size_t i = 0; i < positions.size(); ++i) {
            const int until = i + 1 < positions.size() ? positions[i + 1] : count;
            turns[i] = later.Before(until) - later.Before(positions[i] + 1);
        }
        for (int position : QueueOrder(positions, turns))
            sorted.push_back(std::move(items[std::size_t(position)]));
        for (int position : positions)
            later.Add(position, 1);
        first = last;
    }
    items = std::move(sorted);
}
