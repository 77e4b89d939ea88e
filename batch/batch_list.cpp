#include "batch/batch_list.h"

#include <utility>

#include "batch/batch_entry.h"

namespace nuthumb {

std::optional<std::string> BatchList::Click(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= entries.size()) return std::nullopt;
    selected = index;
    return entries[static_cast<std::size_t>(index)];
}

void BatchList::Add(std::string text) { entries.push_back(std::move(text)); }

bool BatchList::Update(std::string text) {
    if (!HasSelection()) return false;
    entries[static_cast<std::size_t>(selected)] = std::move(text);
    return true;
}

bool BatchList::Delete() {
    if (!HasSelection()) return false;
    entries.erase(entries.begin() + selected);
    selected = -1;
    return true;
}

void BatchList::Clear() {
    entries.clear();
    selected = -1;
}

bool BatchList::MoveUp() {
    if (!HasSelection() || selected == 0) return false;
    std::swap(entries[static_cast<std::size_t>(selected)], entries[static_cast<std::size_t>(selected) - 1]);
    --selected;
    return true;
}

bool BatchList::MoveDown() {
    if (!HasSelection() || static_cast<std::size_t>(selected) + 1 == entries.size()) return false;
    std::swap(entries[static_cast<std::size_t>(selected)], entries[static_cast<std::size_t>(selected) + 1]);
    ++selected;
    return true;
}

void RegisterBatchEntry(BatchList& list, const FormSettings& tab) { list.Add(ComposeBatchEntry(tab)); }

}  // namespace nuthumb
