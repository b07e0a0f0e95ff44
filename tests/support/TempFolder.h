// A private folder for one test, removed with everything in it when the test ends.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

class CTempFolder {
public:
    CTempFolder()
    {
        char pattern[] = "/tmp/quillet-test-XXXXXX";
        const char* made = mkdtemp(pattern);
        m_path = made ? made : "";
    }
    ~CTempFolder()
    {
        if (!m_path.empty())
            nftw(m_path.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
    }
    CTempFolder(const CTempFolder&) = delete;
    CTempFolder& operator=(const CTempFolder&) = delete;

    // The folder's absolute path, without a trailing slash.
    const std::string& Path() const { return m_path; }
    std::string operator/(const std::string& name) const { return m_path + "/" + name; }

    // Writes `content` to `name` below the folder, creating the folders on the way.
    std::string Write(const std::string& name, const std::string& content = "") const
    {
        std::string full = *this / name;
        for (size_t slash = full.find('/', m_path.size() + 1); slash != std::string::npos;
             slash = full.find('/', slash + 1))
            mkdir(full.substr(0, slash).c_str(), 0700);
        std::ofstream(full, std::ios::binary) << content;
        return full;
    }

    static std::string Read(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

private:
    static int RemoveEntry(const char* path, const struct stat*, int, struct FTW*) { return remove(path); }

    std::string m_path;
};
