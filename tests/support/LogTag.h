#pragma once

#include <string>

// "[<tag cut or padded to 32>] ", as every agent log line carries it.
std::string LogTag(std::string tag);
