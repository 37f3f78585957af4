#include "VCmdFileUtils.h"

#include "util.h"

VCmdFileUtils::~VCmdFileUtils() = default;

bool VCmdFileUtils::file_exists(const std::string& path)
{
    return FileExists(path.c_str());
}
