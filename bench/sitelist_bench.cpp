// Site list at 20,000 sites (100 folders of 200, each folder holding a
// subfolder, and one folder of all 20,000): the model's load and save, and the window's start (load
// and tree), selecting a folder (filling the list) and saving with its backup;
// and pasting thousands of copies of one site into its folder.
#include "sitelist/QuillonForm.h"
#include "sitelist/core/SiteFile.h"
#include "sitelist/core/SiteList.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

constexpr int kFolders = 100, kSitesPerFolder = 200;

std::string BigList() {
    std::string out;
    for (int f = 0; f < kFolders; ++f) {
        out += "/\xAC\xDD\xAA\x4F " + std::to_string(f) + "\r\n"; // a Big5 folder name
        for (int s = 0; s < kSitesPerFolder / 2; ++s)
            out += "-//bbs" + std::to_string(f * 1000 + s) + ";host" + std::to_string(s) +
                   ".example;23;remark " + std::to_string(s) + "\r\n";
        out += "-/sub\r\n";
        for (int s = kSitesPerFolder / 2; s < kSitesPerFolder; ++s)
            out += "--//bbs" + std::to_string(f * 1000 + s) + ";10.0.0." + std::to_string(s % 250) +
                   ";2323;\r\n";
    }
    return out;
}

std::string Folder() {
    static std::string dir = [] {
        std::string d = std::filesystem::temp_directory_path().string() + "/sitelist-bench-XXXXXX";
        if (!::mkdtemp(d.data())) std::abort();
        return d + "/";
    }();
    return dir;
}

void BM_ModelAssign(benchmark::State& state) {
    std::string bytes = BigList();
    for (auto _ : state) {
        sitelist::TSiteList list;
        list.Assign(bytes);
        benchmark::DoNotOptimize(list.NodeCount());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_ModelAssign)->Unit(benchmark::kMillisecond);

void BM_ModelText(benchmark::State& state) {
    sitelist::TSiteList list;
    list.Assign(BigList());
    for (auto _ : state)
        benchmark::DoNotOptimize(list.Text());
}
BENCHMARK(BM_ModelText)->Unit(benchmark::kMillisecond);

// Pasting n sites of one name into their own folder: every copy is numbered
// past the copies before it.
void BM_PasteCopiesOfOneName(benchmark::State& state) {
    std::string file = "/A\r\n";
    for (int i = 0; i < state.range(0); ++i)
        file += "-//bbs;host;23;\r\n";
    for (auto _ : state) {
        sitelist::TSiteList list;
        list.Assign(file);
        list.CopySites(list.SiteLines(0));
        list.Paste(0);
        benchmark::DoNotOptimize(list.LineCount());
    }
}
BENCHMARK(BM_PasteCopiesOfOneName)->Arg(500)->Arg(2000)->Arg(8000)->Unit(benchmark::kMillisecond);

// The window over the file: load, tree, settings (no channel, no starter).
void BM_WindowStart(benchmark::State& state) {
    std::ofstream(Folder() + "Quillon.txt", std::ios::binary) << BigList();
    for (auto _ : state) {
        TQuillonFrm form(Folder(), Folder(), nullptr, nullptr);
        benchmark::DoNotOptimize(form.Sites().NodeCount());
    }
}
BENCHMARK(BM_WindowStart)->Unit(benchmark::kMillisecond);

// Selecting folders in turn: each fills the list with its 100 sites.
void BM_WindowSelectFolder(benchmark::State& state) {
    std::ofstream(Folder() + "Quillon.txt", std::ios::binary) << BigList();
    TQuillonFrm form(Folder(), Folder(), nullptr, nullptr);
    form.show();
    int node = 0;
    for (auto _ : state) {
        form.SelectNode(node);
        node = (node + 2) % form.Sites().NodeCount();
    }
}
BENCHMARK(BM_WindowSelectFolder)->Unit(benchmark::kMicrosecond);

// One folder holding all 20,000 sites: selecting it fills the list with
// every one (selecting the empty folder beside it in between).
void BM_WindowSelectHugeFolder(benchmark::State& state) {
    std::string bytes = "/all\r\n";
    for (int s = 0; s < kFolders * kSitesPerFolder; ++s)
        bytes += "-//bbs" + std::to_string(s) + ";host" + std::to_string(s) + ".example;23;\r\n";
    bytes += "/empty\r\n";
    std::ofstream(Folder() + "Quillon.txt", std::ios::binary) << bytes;
    TQuillonFrm form(Folder(), Folder(), nullptr, nullptr);
    form.show();
    for (auto _ : state) {
        form.SelectNode(0);
        state.PauseTiming();
        form.SelectNode(1);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_WindowSelectHugeFolder)->Unit(benchmark::kMillisecond);

// Saving: the backup from the file on disk, then the list, both atomic.
void BM_WindowSave(benchmark::State& state) {
    std::ofstream(Folder() + "Quillon.txt", std::ios::binary) << BigList();
    TQuillonFrm form(Folder(), Folder(), nullptr, nullptr);
    for (auto _ : state) {
        form.Sites().Modified = true;
        std::string error = form.SiteFile().Save(form.Sites());
        if (!error.empty()) state.SkipWithError(error.c_str());
    }
}
BENCHMARK(BM_WindowSave)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(Folder());
    return 0;
}
