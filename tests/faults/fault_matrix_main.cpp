// fault-matrix: every vendrix-cli operation against every kind of fault, at several rates
// and seeds, with a table of how the runs ended. A long run, not part of the test suite.

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "faults/fault_runs.h"

using namespace vx::faults;

namespace {

const char* kUsage = R"(usage: fault-matrix [--seeds N] [--rates R,R,...] [--only OPERATION] [--verbose]

Runs every vendrix-cli operation (download, monitor, flash upload, firmware upload
record by record and FAST, EEPROM dump block by block and FAST, board write) against
a simulated device that injects one kind of fault (lost command, dropped, truncated,
late, ERR or garbled reply, port vanished, device reset) at each rate (default
0.001,0.01,0.05) from seeds 1..N (default 3), and prints how the runs ended: identical
to the clean run, failed cleanly (a message, exit status 1, no output that looks
complete), silent corruption, hang (beyond the bound), device left in monitor or
upload mode, broken (crash, failure without a message).
Exit status 1 when any run ended other than identical or failed cleanly.
  --only OPERATION  the operations whose name begins so (download, monitor, flash,
                    firmware, "FAST firmware", EEPROM, FAST, ...)
  --verbose         one line per run
)";

std::vector<double> parseRates(const std::string& s) {
    std::vector<double> out;
    std::stringstream in(s);
    for (std::string item; std::getline(in, item, ',');)
        out.push_back(std::strtod(item.c_str(), nullptr));
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    int seeds = 3;
    std::vector<double> rates = {0.001, 0.01, 0.05};
    std::string only;
    bool verbose = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--help" || a == "-h") return std::fputs(kUsage, stdout), 0;
        if (a == "--verbose") {
            verbose = true;
        } else if (i + 1 < argc && a == "--seeds") {
            seeds = std::atoi(argv[++i]);
        } else if (i + 1 < argc && a == "--rates") {
            rates = parseRates(argv[++i]);
        } else if (i + 1 < argc && a == "--only") {
            only = argv[++i];
        } else {
            std::fprintf(stderr, "fault-matrix: unknown argument '%s'\n%s", a.c_str(), kUsage);
            return 2;
        }
    }
    if (seeds < 1 || rates.empty()) return std::fputs(kUsage, stderr), 2;

    char tmpl[] = "/tmp/vxmatrixXXXXXX";
    const std::filesystem::path dir = mkdtemp(tmpl);
    FaultRunner runner(dir);
    std::map<Verdict, int> totals;
    std::vector<std::string> bad;
    int runs = 0;
    double slowest = 0;

    std::printf("%-16s %-16s", "operation", "fault");
    for (double r : rates)
        std::printf(" %9.1f%%", r * 100);
    std::printf("   (identical/failed cleanly/other, %d seeds each)\n", seeds);
    for (Operation op : allOperations()) {
        if (!only.empty() && std::string(name(op)).rfind(only, 0) != 0) continue;
        for (Fault f : allFaults()) {
            std::printf("%-16s %-16s", name(op), name(f));
            std::fflush(stdout);
            for (double rate : rates) {
                int same = 0, clean = 0, other = 0;
                for (int seed = 1; seed <= seeds; ++seed) {
                    const RunResult r = runner.run(op, f, rate, uint64_t(seed));
                    ++runs;
                    ++totals[r.verdict];
                    slowest = std::max(slowest, r.seconds);
                    if (r.verdict == Verdict::Identical)
                        ++same;
                    else if (r.verdict == Verdict::FailedCleanly)
                        ++clean;
                    else
                        ++other;
                    char line[512];
                    std::snprintf(line, sizeof line, "%s, %s, rate %g, seed %d: %s (%llu faults, %.1f s) %s",
                                  name(op), name(f), rate, seed, name(r.verdict),
                                  (unsigned long long)r.faultsFired, r.seconds, r.detail.c_str());
                    if (r.verdict != Verdict::Identical && r.verdict != Verdict::FailedCleanly)
                        bad.push_back(line);
                    if (verbose) std::fprintf(stderr, "%s\n", line);
                }
                std::printf("  %2d/%2d/%2d", same, clean, other);
                std::fflush(stdout);
            }
            std::printf("\n");
        }
    }
    std::filesystem::remove_all(dir);
    std::printf(
        "\nruns %d: identical %d, failed cleanly %d, silent corruptions %d, hangs %d, "
        "left in mode %d, broken %d; slowest run %.1f s\n",
        runs, totals[Verdict::Identical], totals[Verdict::FailedCleanly], totals[Verdict::Corrupted],
        totals[Verdict::Hung], totals[Verdict::LeftInMode], totals[Verdict::Broken], slowest);
    for (const std::string& b : bad)
        std::printf("  %s\n", b.c_str());
    return bad.empty() ? 0 : 1;
}
