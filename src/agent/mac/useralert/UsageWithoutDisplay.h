#pragma once

#include <cstdio>
#include <string>
#include <vector>

// Without a display the usage panel cannot open. For the arguments that
// would show it (no option, "-h", "-?", an unknown option such as "--help")
// the panel's title and text go to `out` instead, in the user's language:
//   VUserAlert --help  ->  "Invalid parameter\n\nUnknown parameter.\n\nusage: VUserAlert ..."
// Returns whether it wrote; arguments that would start a dialog, or be
// refused without a panel, write nothing.
bool WriteUsageWithoutDisplay(const std::vector<std::string>& arguments, std::FILE* out);
