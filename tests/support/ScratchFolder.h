// A private folder for one test, removed with everything in it when the
// test ends.
#pragma once
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

namespace testsupport {

class TScratchFolder {
public:
    TScratchFolder() {
        const char* base = std::getenv("TMPDIR");
        std::string tmpl = std::string(base && *base ? base : "/tmp") + "/bp-test-XXXXXX";
        if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
        FPath = tmpl + "/";
    }
    ~TScratchFolder() {
        std::error_code ec;
        // Tests make files read-only; give the owner access back first.
        for (auto& e : std::filesystem::recursive_directory_iterator(FPath, ec))
            std::filesystem::permissions(e.path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(FPath, ec);
    }
    TScratchFolder(const TScratchFolder&) = delete;
    TScratchFolder& operator=(const TScratchFolder&) = delete;

    // The folder, ending in "/".
    const std::string& Path() const { return FPath; }
    std::string File(const std::string& name) const { return FPath + name; }

    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    static void Write(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    }

private:
    std::string FPath;
};

// A file of tests/fixtures.
inline std::string FixturePath(const std::string& relative) {
    const char* dir = std::getenv("BP_FIXTURES");
    return std::string(dir ? dir : "tests/fixtures") + "/" + relative;
}

} // namespace testsupport
