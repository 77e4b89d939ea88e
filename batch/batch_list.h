#pragma once
// The batch list with its selection, and the edits of the batch tab's buttons.
// Each edit does nothing when its condition is not met and never looks at the
// text it stores; each returns whether it changed anything.
#include <optional>
#include <string>
#include <vector>

#include "settings/form_settings.h"

namespace nuthumb {

struct BatchList {
    std::vector<std::string> entries;
    int selected = -1;  // index into entries, -1 for none

    bool HasSelection() const { return selected >= 0 && static_cast<std::size_t>(selected) < entries.size(); }

    // A click on row `index`: selects it and returns its text for the edit box;
    // nothing for a row that does not exist.
    std::optional<std::string> Click(int index);
    // Appends `text` (an empty one too); the selection stays.
    void Add(std::string text);
    // Replaces the selected entry with `text`, which stays selected.
    bool Update(std::string text);
    // Removes the selected entry; nothing is selected afterwards.
    bool Delete();
    // Removes every entry, without a question; nothing is selected afterwards.
    void Clear();
    // Move the selected entry one place, keeping it selected; not past either end.
    bool MoveUp();
    bool MoveDown();
};

// Appends the entry for the individual tab's values (ComposeBatchEntry); the
// selection stays.
void RegisterBatchEntry(BatchList& list, const FormSettings& tab);

}  // namespace nuthumb
