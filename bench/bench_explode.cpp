// Throughput of ExplodeFile, in bytes of decoded image per second, on the two
// real compressed saves and on the larger streams of the benchmark folder:
// $VANTOREL_BENCH_DIR, or ../shared/bench beside the source tree (two streams
// of a 16 MiB save-like image from two independent encoders, see its
// README). A folder or file that is missing is skipped with a note.
//
// The image goes to /dev/null: the figure is the decoder's, reading its input
// and handing every 4096 bytes to the C library, without a disk in the way.
// Each stream is first decoded once into a temporary file, to check it and
// learn its image size.
#include "explode.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Decodes path once into a temporary file; returns the image size, or -1.
long long imageSize(const fs::path &path)
{
    const fs::path out = fs::temp_directory_path() / ("vantorel-bench-explode-" + path.filename().string());
    fs::remove(out);
    const ExplodeStatus status = explodeFileStatus(path.c_str(), out.c_str());
    std::error_code error;
    const auto size = fs::file_size(out, error);
    fs::remove(out, error);
    if (status != ExplodeStatus::Ok) {
        std::fprintf(stderr, "bench_explode: %s: %s\n", path.c_str(), explodeStatusText(status));
        return -1;
    }
    return (long long)size;
}

void registerStream(const fs::path &path)
{
    const long long size = imageSize(path);
    if (size < 0)
        return;
    const long long streamSize = (long long)fs::file_size(path);
    benchmark::RegisterBenchmark(("ExplodeFile/" + path.filename().string()).c_str(),
                                 [path, size, streamSize](benchmark::State &state) {
                                     for (auto _ : state) {
                                         if (ExplodeFile(path.c_str(), "/dev/null") != 1)
                                             state.SkipWithError("the stream no longer decodes");
                                     }
                                     state.SetBytesProcessed(state.iterations() * size);
                                     state.counters["ratio"] = double(size) / double(streamSize);
                                 })
        ->Unit(benchmark::kMillisecond);
}

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);

    const fs::path saves = fs::path(VANTOREL_TEST_DATA) / "saves";
    for (const char *name : {"COTM162_C3C122_01.SAV", "COTM163_C3C122_01.SAV"}) {
        if (fs::exists(saves / name))
            registerStream(saves / name);
        else
            std::fprintf(stderr, "bench_explode: %s is missing, skipped\n", (saves / name).c_str());
    }

    const char *env = std::getenv("VANTOREL_BENCH_DIR");
    const fs::path streams = env && *env ? fs::path(env) : fs::path(VANTOREL_SOURCE_DIR) / ".." / "shared" / "bench";
    std::vector<fs::path> found;
    std::error_code error;
    for (const auto &entry : fs::directory_iterator(streams, error))
        if (entry.path().extension() == ".imp")
            found.push_back(entry.path());
    std::sort(found.begin(), found.end());
    if (found.empty())
        std::fprintf(stderr, "bench_explode: no .imp streams in %s (VANTOREL_BENCH_DIR), skipped\n",
                     streams.c_str());
    for (const fs::path &path : found)
        registerStream(path);

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
