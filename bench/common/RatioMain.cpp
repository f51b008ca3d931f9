// Shared main of the benchmarks: runs every registered case, then prints one
// line per comparison of ours against a peer measured in the same run.
// Cases are named "<group>/ours" and "<group>/<peer>"; the rate compared is
// the items_per_second counter (input frames per second of CPU time).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

namespace {

// "group/impl/iterations:3/real_time" -> "group/impl": the options a case
// runs with are not part of its name.
std::string withoutRunOptions(std::string name) {
    for (;;) {
        const auto slash = name.rfind('/');
        if (slash == std::string::npos) return name;
        const std::string last = name.substr(slash + 1);
        if (last.rfind("iterations:", 0) != 0 && last != "real_time" && last != "manual_time" &&
            last != "process_time")
            return name;
        name.erase(slash);
    }
}

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
            const auto it = run.counters.find("items_per_second");
            if (it == run.counters.end()) continue;
            const std::string name = withoutRunOptions(run.benchmark_name());
            const auto slash = name.rfind('/');
            if (slash == std::string::npos) continue;
            double& best = rates_[name.substr(0, slash)][name.substr(slash + 1)];
            best = std::max(best, static_cast<double>(it->second));
        }
    }

    void printRatios() const {
        for (const auto& [group, impls] : rates_) {
            const auto ours = impls.find("ours");
            if (ours == impls.end()) continue;
            for (const auto& [peer, rate] : impls) {
                if (peer == "ours" || rate <= 0) continue;
                std::printf("ratio %s: ours %.2f Mframes/s, %s %.2f Mframes/s, ours/%s %.2fx\n",
                            group.c_str(), ours->second / 1e6, peer.c_str(), rate / 1e6,
                            peer.c_str(), ours->second / rate);
            }
        }
    }

private:
    std::map<std::string, std::map<std::string, double>> rates_;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    // The console reporter may leave a colour reset without a line end.
    std::printf("\n");
    reporter.printRatios();
    return 0;
}
