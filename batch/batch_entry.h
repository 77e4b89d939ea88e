#pragma once
// The BatchEntry: one folder run as a line of nine double-quoted fields,
// "src","srcItem","dst","dstItem","prefix","suffix","size","basis","resize", and
// for a run of the folders below a tenth, "subfolders"; a gallery run's
// variants follow from the eleventh field on, one "NAME:SPEC" each
// (variant_spec.h), after a tenth field of its own.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "run/thumb_job.h"
#include "settings/form_settings.h"

namespace nuthumb {

inline constexpr std::size_t kBatchEntryFields = 9;
// An entry may add a tenth field: "1" runs the folders below the source folder
// too, "0" the source folder alone (as every nine-field entry does); "2" and "3"
// are "0" and "1" kept in sync with the photos (ThumbJob::update).
inline constexpr std::size_t kBatchEntryFieldsWithSubfolders = 10;

// Whether an entry of `count` fields has the number of fields an entry has.
inline bool IsBatchEntryFieldCount(std::size_t count) { return count >= kBatchEntryFields; }

// The fields of one entry line, or nullopt for a data error: nine fields or
// more on one line (a line break inside came from a file whose lines end in a
// lone CR, where two entries would run as one), and in a line of ten or more
// every quote paired (SplitCommaTextChecked): a tenth field that an undoubled
// quote split off a value is no request to run a tree, nor is a later one a
// variant.
std::optional<std::vector<std::string>> EntryFields(std::string_view entry);

// The entry for the individual tab's values: the folder texts through the
// drive-root rule, the three radio items in decimal as the groups report them
// (-1 for none), the spin box's position, and 1 for scaling or 0 for convert
// only, then a tenth field "1" when subfolders are ticked, "2" when only
// missing or stale thumbnails are made, "3" for both (nine fields otherwise).
// A double quote inside a value is doubled, so every value splits back out
// unchanged (a folder may hold a quote on Linux). `tab.batch` is not used.
std::string ComposeBatchEntry(const FormSettings& tab);

// The job of an entry's nine or ten fields: the folders through the drive-root
// rule, the bitmap for a format field of exactly "0" and JPEG for anything else,
// fields 7 to 9 as decimal numbers (the basis by the window's item rule), scaling
// when the resize field's lowest 8 bits are not all zero, the folders below for a
// tenth field of exactly "1" or "3", only what is stale for "2" or "3", the
// variants of the later fields (their values over the entry's, with `photo` as
// the run's photo options, which the job takes too). nullopt when a number field
// is not a number, a tenth field is not one digit from "0" to "3", or a later
// field is no variant: a list that asks for something else was not written by
// us, and running a whole tree on a guess could write thousands of files.
std::optional<ThumbJob> JobOfFields(const std::vector<std::string>& fields, const PhotoOptions& photo = {});

// A decimal number of 32 bits: optional blanks (space, tab), an optional sign,
// then digits only. Not the settings file's rule: no hexadecimal, no "$".
std::optional<std::int32_t> ParseDecimalField(std::string_view text);

}  // namespace nuthumb
