#pragma once
// What a decode had to make up because the file did not hold it. Such a source
// still gives a thumbnail as far as its data goes, but the user is told, and it
// counts as failed: a half-grey photo must not pass as converted.
namespace nuthumb {

enum class SourceDamage {
    kNone,
    kTruncated,    // the data ends before the image does
    kCorruptData,  // the decoder stepped over data it could not use
};

// The worse of two: a cut file usually also shows corrupt data where it ends, and
// the cut is what the user can act on.
inline SourceDamage Worse(SourceDamage a, SourceDamage b) {
    if (a == SourceDamage::kTruncated || b == SourceDamage::kTruncated) return SourceDamage::kTruncated;
    return a == SourceDamage::kNone ? b : a;
}

}  // namespace nuthumb
