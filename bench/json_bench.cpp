// Times the track extraction job with our JSON reader, nlohmann::json and RapidJSON on generated playlist answers.
//   velomir-bench-json [benchmark flags]                  timing at 100, 1,000 and 10,000 tracks, then a summary
//   velomir-bench-json --memory ours|nlohmann|rapidjson N  peak resident memory of one job on N tracks
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "bench/peak_memory.h"
#include "bench/track_field_check.h"
#include "bench/track_readers.h"
#include "playlist_answer_generator.h"

namespace {

using namespace velomir::bench;

struct NamedReader {
    const char* name;
    TrackReader read;
};
constexpr NamedReader kReaders[] = {
    {"ours", readTracksOurs}, {"nlohmann", readTracksNlohmann}, {"rapidjson", readTracksRapidJson}};
constexpr int kSizes[] = {100, 1000, 10000};
constexpr std::uint64_t kSeed = 1;

// Adds up the length of every field so the reads cannot be optimised away.
class LengthSum : public TrackFieldSink {
public:
    void field(int, std::string_view text) override { total += text.size(); }
    std::size_t total = 0;
};

// Keeps the CPU time per job of every benchmark for the closing summary: the median over repetitions when there
// are several, else the one run. CPU time, because on a shared machine the real time also counts the neighbours.
class SummaryReporter : public benchmark::ConsoleReporter {
public:
    SummaryReporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.error_occurred) continue;
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (run.run_type != Run::RT_Iteration && !median) continue;
            const double ms = run.GetAdjustedCPUTime() * 1e3 / benchmark::GetTimeUnitMultiplier(run.time_unit);
            auto& kept = median ? medians_ : singles_;
            kept[run.run_name.function_name] = ms;
        }
        ConsoleReporter::ReportRuns(runs);
    }
    // CPU time per job in ms, or -1 when the benchmark did not run.
    double ms(const std::string& name) const {
        for (const auto* kept : {&medians_, &singles_}) {
            const auto found = kept->find(name);
            if (found != kept->end()) return found->second;
        }
        return -1;
    }

private:
    std::map<std::string, double> medians_;
    std::map<std::string, double> singles_;
};

std::string benchmarkName(const NamedReader& reader, int tracks) {
    return std::string("json/") + reader.name + "/" + std::to_string(tracks);
}

void printSummary(const SummaryReporter& reporter) {
    std::printf("\nsummary: CPU time per job in ms\n%-10s", "reader");
    for (int tracks : kSizes) std::printf(" %10d", tracks);
    for (const NamedReader& reader : kReaders) {
        std::printf("\n%-10s", reader.name);
        for (int tracks : kSizes) {
            const double ms = reporter.ms(benchmarkName(reader, tracks));
            ms < 0 ? std::printf(" %10s", "n/a") : std::printf(" %10.2f", ms);
        }
    }
    std::printf("\n");
    for (const NamedReader& other : {kReaders[1], kReaders[2]}) {
        for (int tracks : kSizes) {
            const double ours = reporter.ms(benchmarkName(kReaders[0], tracks));
            const double theirs = reporter.ms(benchmarkName(other, tracks));
            if (ours > 0 && theirs > 0) std::printf("ratio vs %s at %d: %.2f\n", other.name, tracks, ours / theirs);
        }
    }
}

// The timings only mean something if all three readers did the same job.
void checkAgreement(const std::string& answer) {
    const std::vector<std::string> expected = collectFields(readTracksNlohmann, answer);
    std::string problem = describeDifference(expected, collectFields(readTracksRapidJson, answer));
    if (!problem.empty()) std::printf("check: rapidjson disagrees with nlohmann: %s\n", problem.c_str());
    std::vector<std::string> ours = collectFields(readTracksOurs, answer);
    for (std::string& field : ours) field = decodeEscapes(field);
    problem = describeDifference(expected, ours);
    if (!problem.empty()) std::printf("check: ours disagrees with nlohmann: %s\n", problem.c_str());
    std::printf("check: %zu fields compared\n", expected.size());
}

int runTiming(int argc, char** argv) {
    static std::map<int, std::string> answers;  // generated once, outside the timed loops
    for (int tracks : kSizes) answers[tracks] = velomir::PlaylistAnswerGenerator(kSeed).answer(tracks);
    checkAgreement(answers[1000]);
    for (const NamedReader& reader : kReaders) {
        for (int tracks : kSizes) {
            const std::string& answer = answers[tracks];
            const TrackReader read = reader.read;
            benchmark::RegisterBenchmark(benchmarkName(reader, tracks).c_str(), [&answer,
                                                                                 read](benchmark::State& state) {
                int count = 0;
                for (auto _ : state) {
                    LengthSum sum;
                    count = read(answer, sum);
                    benchmark::DoNotOptimize(sum.total);
                }
                state.counters["tracks"] = count;
                state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * answer.size()));
            })->Unit(benchmark::kMillisecond);
        }
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 2;
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    printSummary(reporter);
    return 0;
}

// One job in a fresh process: the peak then covers the input and this reader only.
int runMemory(const std::string& readerName, const char* tracksText) {
    const int tracks = std::atoi(tracksText);
    for (const NamedReader& reader : kReaders) {
        if (readerName != reader.name || tracks < 0) continue;
        const std::string answer = velomir::PlaylistAnswerGenerator(kSeed).answer(tracks);
        const double before = peakResidentMiB();
        LengthSum sum;
        const int count = reader.read(answer, sum);
        benchmark::DoNotOptimize(sum.total);
        const double peak = peakResidentMiB();
        std::printf("memory reader=%s tracks=%d read=%d input_bytes=%zu input_mib=%.1f before_mib=%.1f peak_mib=%.1f\n",
                    reader.name, tracks, count, answer.size(), static_cast<double>(answer.size()) / (1024.0 * 1024.0),
                    before, peak);
        return count == tracks ? 0 : 1;
    }
    std::fprintf(stderr, "usage: velomir-bench-json --memory ours|nlohmann|rapidjson TRACKS\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::string(argv[1]) == "--memory") {
        return argc == 4 ? runMemory(argv[2], argv[3]) : runMemory("", "0");
    }
    return runTiming(argc, argv);
}
