#pragma once
// A simulated logger served on a real pseudo-terminal, with the program connected to it
// and identified, in a scratch working directory of its own.

#include <filesystem>
#include <memory>
#include <string>

#include "sim/options.h"
#include "sim/pty_server.h"
#include "support/fixtures.h"

namespace vx::test {

class SimLoggerTest : public ProgramTest {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Starts the simulated device from a settings ("qm41,nodes=3,pages=20") and connects the
    // program to it as the main window does when it opens. False on failure.
    bool connect(const std::string& settings);
    // Reads the whole file into a string ("" when missing).
    static std::string slurp(const std::filesystem::path& p);
    bool exists(const std::string& name) const { return std::filesystem::exists(dir_ / name); }

    std::shared_ptr<const vx::sim::Session> session;
    std::unique_ptr<vx::sim::PtyServer> server;
    std::filesystem::path dir_, oldDir_;
};

}  // namespace vx::test
