// screendump: feeds files through a fresh emulator and prints the screen.
//
//   screendump [--rows N] [--columns N] [--autowrap] [--history]
//              [--split-random SEED] FILE...
//
// The bytes of the files go, in order, through ProcessChar one at a time;
// with --split-random they go through ProcessBuffer in pieces of random size
// instead (the result must be the same). The format is DumpScreen's.
#include "screen/core/ScreenDump.h"
#include "screen/core/ScreenBuffer.h"
#include "screen/core/VtInterpreter.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace {

int Usage(const char* why) {
    std::fprintf(stderr,
                 "screendump: %s\nusage: screendump [--rows N] [--columns N] [--autowrap] "
                 "[--history] [--split-random SEED] FILE...\n",
                 why);
    return 2;
}

std::optional<long> Number(const char* text) {
    errno = 0;
    char* end = nullptr;
    const long v = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0') return std::nullopt;
    return v;
}

} // namespace

int main(int argc, char** argv) {
    std::optional<long> rows, columns, seed;
    bool autowrap = false, history = false;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&](std::optional<long>& into) {
            if (i + 1 >= argc) return false;
            into = Number(argv[++i]);
            return into.has_value();
        };
        if (a == "--rows") {
            if (!value(rows)) return Usage("--rows needs a number");
        } else if (a == "--columns") {
            if (!value(columns)) return Usage("--columns needs a number");
        } else if (a == "--split-random") {
            if (!value(seed)) return Usage("--split-random needs a number");
        } else if (a == "--autowrap") {
            autowrap = true;
        } else if (a == "--history") {
            history = true;
        } else if (a == "--") {
            for (++i; i < argc; ++i)
                files.emplace_back(argv[i]);
        } else if (a.size() > 1 && a[0] == '-') {
            return Usage(("unknown option " + a).c_str());
        } else {
            files.push_back(a);
        }
    }
    if (files.empty()) return Usage("no input file");

    std::string bytes;
    for (const std::string& f : files) {
        std::ifstream in(f, std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "screendump: cannot read %s: %s\n", f.c_str(),
                         std::strerror(errno));
            return 1;
        }
        bytes.append(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    TScreenBuffer screen;
    TVtInterpreter emu(screen);
    // Out-of-range values are ignored by the setters, as everywhere else.
    if (columns) screen.SetColumns(static_cast<int>(std::clamp(*columns, -1L, 1000L)));
    if (rows) screen.SetRows(static_cast<int>(std::clamp(*rows, -1L, 1000L)));
    if (autowrap) screen.AutoWrap = true;

    const auto* p = reinterpret_cast<const std::uint8_t*>(bytes.data());
    if (seed) {
        std::mt19937 rng(static_cast<std::uint32_t>(*seed));
        std::size_t at = 0;
        while (at < bytes.size()) {
            std::uniform_int_distribution<std::size_t> piece(1, 64);
            const std::size_t n = std::min(piece(rng), bytes.size() - at);
            emu.ProcessBuffer(p + at, n);
            at += n;
        }
    } else {
        // One batch, as a replay feeds its slices: the buffer is marked
        // written once at the end instead of at every byte.
        TScreenBuffer::TWriteBatch batch(screen);
        for (std::size_t i = 0; i < bytes.size(); ++i)
            emu.ProcessChar(p[i]);
    }
    const std::string out = DumpScreen(screen, history);
    std::fwrite(out.data(), 1, out.size(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}
