#include "TempAgentRoot.h"

#include "FileHelpers.h"

#include <cstdlib>
#include <ftw.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string MakeTempDir()
{
    char pattern[] = "/tmp/vora-test-XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
        throw std::runtime_error("mkdtemp failed");
    }
    return pattern;
}

int RemoveEntry(const char* path, const struct stat*, int, struct FTW*)
{
    // Tests make directories read-only on purpose; removal must still work.
    chmod(path, 0700);
    return remove(path);
}

} // namespace

void RemoveTree(const std::string& path)
{
    nftw(path.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
}

TempAgentRoot::TempAgentRoot()
    : m_root(MakeTempDir()), m_rootVariable("VORA_AGENT_ROOT", m_root),
      m_instanceVariable("VEJBINSTANCE", std::nullopt)
{
}

TempAgentRoot::~TempAgentRoot()
{
    RemoveTree(m_root);
}

std::string TempAgentRoot::dataDir() const
{
    return m_root + "/Orvel/VORA/data/";
}

std::string TempAgentRoot::userDir() const
{
    return dataDir() + "user/";
}

std::string TempAgentRoot::installDir() const
{
    return m_root + "/Orvel/VORA/bin/";
}

void TempAgentRoot::writeConfig(const std::string& content) const
{
    MakeDirs(dataDir());
    WriteFile(dataDir() + "arn.conf", content);
}
