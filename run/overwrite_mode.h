#pragma once
// What happens to a target that exists already. A live option: the run reads it
// at each decision, so a change during a run applies from the next file on.
namespace nuthumb {

enum class OverwriteMode {
    kNever,   // the file is skipped silently
    kAlways,  // the file is replaced
    kAsk,     // the user is asked, naming the file; only OK replaces it
};

}  // namespace nuthumb
