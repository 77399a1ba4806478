// The closest of a set of names to a mistyped one, for "did you mean"
// hints: an edit distance over the bytes with ASCII letters folded.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pelto5 {

// The candidate closest to name, or "" when none is close enough to be a
// plausible typo (a few edits, fewer for short names).
std::string NearestName(std::string_view name, const std::vector<std::string>& candidates);

}  // namespace pelto5
