#include "ProcessArguments.h"

namespace {

std::vector<std::string>& Captured()
{
    static std::vector<std::string> arguments;
    return arguments;
}

} // namespace

void CaptureProcessArguments(int argc, char** argv)
{
    std::vector<std::string>& arguments = Captured();
    arguments.clear();
    for (int i = 0; i < argc && argv != nullptr && argv[i] != nullptr; ++i) {
        arguments.emplace_back(argv[i]);
    }
}

const std::vector<std::string>& ProcessArguments()
{
    return Captured();
}
