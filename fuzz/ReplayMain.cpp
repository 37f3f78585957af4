// Runs a fuzz target over files and directories of inputs, so the seed
// corpus and every kept crash input are replayed by CTest in the normal
// build.
#include <cstdint>
#include <cstdio>
#include <dirent.h>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

int Replay(const std::string& path)
{
    struct stat info;
    if (stat(path.c_str(), &info) != 0) {
        std::fprintf(stderr, "missing input %s\n", path.c_str());
        return 1;
    }
    if (!S_ISDIR(info.st_mode)) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        const std::string input = bytes.str();
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(input.data()), input.size());
        return 0;
    }
    int failures = 0;
    if (DIR* dir = opendir(path.c_str())) {
        while (const dirent* entry = readdir(dir)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..") {
                failures += Replay(path + "/" + name);
            }
        }
        closedir(dir);
    }
    return failures;
}

} // namespace

int main(int argc, char** argv)
{
    int failures = 0;
    for (int i = 1; i < argc; ++i) {
        failures += Replay(argv[i]);
    }
    std::printf("replayed %d input paths\n", argc - 1);
    return failures == 0 ? 0 : 1;
}
