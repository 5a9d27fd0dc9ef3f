#pragma once

#include <algorithm>
#include <functional>
#include <utility>
#include <vector>

namespace kalvenor {

// The functions told of a document's changes (a dataset's, a journal's): a
// plain C++ callback, so that the core needs no toolkit to tell a grid.
template <typename Change>
class Observers {
public:
    using Observer = std::function<void(const Change&)>;

    int Add(Observer observer) {
        entries_.emplace_back(next_, std::move(observer));
        return next_++;
    }
    void Remove(int id) {
        std::erase_if(entries_, [id](const auto& entry) { return entry.first == id; });
    }

    void Notify(const Change& change) const {
        // An observer may remove itself or others while it is being called:
        // walk a copy of the ids, skip those removed meanwhile, and call a copy
        // of each function so that removing it does not destroy it mid-call.
        std::vector<int> ids;
        ids.reserve(entries_.size());
        for (const auto& entry : entries_) {
            ids.push_back(entry.first);
        }
        for (int id : ids) {
            const auto found = std::find_if(entries_.begin(), entries_.end(),
                                            [id](const auto& entry) { return entry.first == id; });
            if (found != entries_.end()) {
                const Observer observer = found->second;
                observer(change);
            }
        }
    }

private:
    std::vector<std::pair<int, Observer>> entries_;
    int next_ = 0;
};

}  // namespace kalvenor
