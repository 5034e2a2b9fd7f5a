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
        std::string tmpl = Base() + "/bp-test-XXXXXX";
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
    // The temporary folder the test program started with (tests point
    // TMPDIR into their own scratch folders).
    static const std::string& Base() {
        static const std::string base = [] {
            const char* t = std::getenv("TMPDIR");
            return std::string(t && *t ? t : "/tmp");
        }();
        return base;
    }
    std::string FPath;
};

// A file of tests/fixtures.
inline std::string FixturePath(const std::string& relative) {
    const char* dir = std::getenv("BP_FIXTURES");
    return std::string(dir ? dir : "tests/fixtures") + "/" + relative;
}

} // namespace testsupport
