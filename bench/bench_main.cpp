// vendrix-bench: prints the figures the program is held to, one line each.
// Usage: vendrix-bench [link|scan|download|incremental|decode|monitor|table|boards|loader|all]

#include <cstdio>
#include <cstring>
#include <string>

namespace vx::bench {
void benchTransactions();
void benchIdleCpu();
void benchScan();
void benchDownload(const char* form, const char* pacing, bool ratioFigure);
void benchDecode();
void benchIncremental();
void benchMonitor();
void benchGraphs();
void benchTable();
void benchBoards();
void benchLoader();
}  // namespace vx::bench

int main(int argc, char** argv) {
    std::string what = argc > 1 ? argv[1] : "all";
    bool all = what == "all";
    using namespace vx::bench;
    if (all || what == "decode") benchDecode();
    if (all || what == "link") {
        benchTransactions();
        benchIdleCpu();
    }
    if (all || what == "scan") benchScan();
    if (all || what == "download") {
        benchDownload("fast", "bytewise=1,", true);
        benchDownload("plain", "bytewise=1,", true);
        benchDownload("fast", "", false);
    }
    if (all || what == "download" || what == "incremental") benchIncremental();
    if (all || what == "monitor") {
        benchMonitor();
        benchGraphs();
    }
    if (all || what == "table") benchTable();
    if (all || what == "boards") benchBoards();
    if (all || what == "loader") benchLoader();
    return 0;
}
