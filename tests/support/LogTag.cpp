#include "LogTag.h"

std::string LogTag(std::string tag)
{
    tag.resize(32, ' ');
    return "[" + tag + "] ";
}
