#pragma once

#include <string>
#include <vector>

// The process's argument list exactly as it was passed (program path
// first), taken before any toolkit object exists: Qt removes the options it
// knows ("-name", "-reverse", "-style", ...) from argv, and decodes the rest
// as local 8-bit text. Empty until captured.
void CaptureProcessArguments(int argc, char** argv);
const std::vector<std::string>& ProcessArguments();
