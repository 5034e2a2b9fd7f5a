// A private folder per test, removed with everything in it afterwards.
#pragma once
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <stdlib.h>
#include <string>

class TTempDir {
public:
    TTempDir() {
        std::string tmpl = testing::TempDir() + "bp-test-XXXXXX";
        if (mkdtemp(tmpl.data())) Path = tmpl + "/";
    }
    ~TTempDir() {
        std::error_code ec;
        if (!Path.empty()) std::filesystem::remove_all(Path, ec);
    }
    std::string operator/(const std::string& name) const { return Path + name; }

    static void Put(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    static std::string Get(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    std::string Path;
};
