// Opening a compressed save, from the file to the score table, against the
// decoder alone on the same save, in the same run. Everything a load adds to
// the decoding (the private temporary file, reading the image back, the
// search and walk of the history) shows as the difference between the two;
// the goal is at most 1.3 times the decoder's time.
//
// The decoder alone writes to a file that does not exist yet, as it does in a
// load; the file is removed outside the timed part. Writing over an existing
// file would make the decoder look slower than it is: ext4, for one, flushes a
// file that was emptied and rewritten when it is closed.
//
// The last benchmark, LoadOverDecodeRatio, times the two in alternation and
// reports their ratio as counters, so that the figure comes from one run under
// one load of the machine.
#include "explode.h"
#include "savefile.h"
#include "scorehistory.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

const std::string SavePath = std::string(VANTOREL_TEST_DATA) + "/saves/COTM162_C3C122_01.SAV";

// The decoder's output file for the decoder-alone runs, in a folder of the
// benchmark's own under the same temporary folder the loader uses.
class OutputFolder {
public:
    OutputFolder()
    {
        std::string name = (std::filesystem::temp_directory_path() / "vantorel-bench-XXXXXX").string();
        if (mkdtemp(name.data()))
            m_folder = name;
        m_output = (m_folder / "image.bin").string();
    }
    ~OutputFolder()
    {
        std::error_code ec;
        std::filesystem::remove_all(m_folder, ec);
    }
    const char *output() const { return m_output.c_str(); }
    void clear() const { std::remove(m_output.c_str()); }

private:
    std::filesystem::path m_folder;
    std::string m_output;
};

bool decodeOnce(const OutputFolder &folder)
{
    return ExplodeFile(SavePath.c_str(), folder.output()) == 1;
}

bool loadOnce()
{
    const SaveImage image = openSaveImage(SavePath);
    chart::ScoreTable slots{};
    const bool found = image.looksLikeSave()
        && readScoreHistory(image.bytes.data(), image.bytes.size(), slots);
    benchmark::DoNotOptimize(slots);
    return found && image.complete && slots[4] == 23;
}

void ExplodeFileAlone(benchmark::State &state)
{
    OutputFolder folder;
    for (auto _ : state) {
        if (!decodeOnce(folder))
            state.SkipWithError("the save did not decode");
        state.PauseTiming();
        folder.clear();
        state.ResumeTiming();
    }
}
BENCHMARK(ExplodeFileAlone)->Unit(benchmark::kMillisecond);

void OpenSaveToTable(benchmark::State &state)
{
    for (auto _ : state)
        if (!loadOnce())
            state.SkipWithError("the save did not load");
}
BENCHMARK(OpenSaveToTable)->Unit(benchmark::kMillisecond);

// The ratio of the two, from pairs timed back to back. On a shared machine a
// run is often held up by others; the median pair and the fastest of each
// are far steadier than means, so those are the figures reported.
void LoadOverDecodeRatio(benchmark::State &state)
{
    using Clock = std::chrono::steady_clock;
    OutputFolder folder;
    std::vector<double> decoding, loading;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        const bool decoded = decodeOnce(folder);
        const auto t1 = Clock::now();
        const bool loaded = loadOnce();
        const auto t2 = Clock::now();
        folder.clear();
        if (!decoded || !loaded)
            state.SkipWithError("the save did not load");
        decoding.push_back(std::chrono::duration<double>(t1 - t0).count());
        loading.push_back(std::chrono::duration<double>(t2 - t1).count());
    }
    const auto median = [](std::vector<double> times) {
        std::nth_element(times.begin(), times.begin() + times.size() / 2, times.end());
        return times[times.size() / 2];
    };
    if (!decoding.empty()) {
        state.counters["ratio"] = median(loading) / median(decoding);
        state.counters["ratio_fastest"] = *std::min_element(loading.begin(), loading.end())
            / *std::min_element(decoding.begin(), decoding.end());
    }
}
BENCHMARK(LoadOverDecodeRatio)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
