// Each vendrix-cli operation against each kind of fault, at one rate from one seed: the
// command ends as the clean run does or fails the way it says it does, in bounded time,
// without leaving the device in a mode it could have left (tools/fault-matrix runs the
// whole matrix of rates and seeds).

#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>
#include <ostream>

#include "faults/fault_runs.h"
#include "support/process.h"

namespace vx::faults {
namespace {

namespace fs = std::filesystem;

// Rates that make the faults fire a few times in each operation's exchanges.
struct Row {
    Operation op;
    double rate;
};

void PrintTo(const Row& r, std::ostream* os) {
    *os << name(r.op) << " at " << r.rate;
}

class FaultMatrix : public ::testing::TestWithParam<Row> {
  protected:
    void SetUp() override {
        char tmpl[] = "/tmp/vxfaultXXXXXX";
        dir = mkdtemp(tmpl);
    }
    void TearDown() override { fs::remove_all(dir); }
    fs::path dir;
};

TEST_P(FaultMatrix, EndsIdenticalOrFailsCleanly) {
    const Row row = GetParam();
    FaultRunner runner(dir);
    uint64_t fired = 0;
    uint64_t seed = 7;  // a seed of its own for each fault, so that they strike in other places
    for (Fault f : allFaults()) {
        const RunResult r = runner.run(row.op, f, row.rate, seed++);
        SCOPED_TRACE(std::string(name(row.op)) + ", " + name(f));
        EXPECT_TRUE(r.verdict == Verdict::Identical || r.verdict == Verdict::FailedCleanly)
            << name(r.verdict) << ": " << r.detail;
        fired += r.faultsFired;
    }
    EXPECT_GT(fired, 0u) << "the rate is too low for the operation's exchanges";
}

INSTANTIATE_TEST_SUITE_P(
    Operations, FaultMatrix,
    ::testing::Values(Row{Operation::Download, 0.08}, Row{Operation::Monitor, 0.02},
                      Row{Operation::FlashUpload, 0.01}, Row{Operation::FirmwareUpload, 0.05},
                      Row{Operation::FastFirmwareUpload, 0.05}, Row{Operation::EepromDump, 0.01},
                      Row{Operation::FastEepromDump, 0.3}, Row{Operation::BoardWrite, 0.05}),
    [](const ::testing::TestParamInfo<Row>& info) {
        std::string n = name(info.param.op);
        for (char& c : n)
            if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
        return n;
    });

// The board restarts (losing the image it was not told to save) at the first command after
// the read-back: the write must not be reported as done.
TEST(BoardWriteFaults, ARestartAfterTheReadBackIsNoSuccess) {
    char tmpl[] = "/tmp/vxfaultXXXXXX";
    const fs::path dir = mkdtemp(tmpl);
    std::ofstream(dir / "new.vt1", std::ios::binary) << boardParameterFile();
    vx::test::ProcessOptions po;
    po.cwd = dir.string();
    const vx::test::ProcessResult r =
        vx::test::runProgram(vx::test::programPath("vendrix-cli"),
                             {"board", "write", "new.vt1", "--yes",
                              "--simulate=vt71,reset-nth=1,reset-on=ATSD,reset-ms=0", "-t", "200"},
                             po);
    fs::remove_all(dir);
    EXPECT_EQ(r.exitCode, 1) << r.out << r.err;
    EXPECT_NE(r.err.find("no longer holds the new values"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace vx::faults
