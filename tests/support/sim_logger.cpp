#include "support/sim_logger.h"

#include <fstream>
#include <sstream>

#include "link/com.h"
#include "session/page_access.h"
#include "state/flags.h"

using namespace vx::session;

namespace vx::test {

void SimLoggerTest::SetUp() {
    ProgramTest::SetUp();
    char tmpl[] = "/tmp/vxsimXXXXXX";
    dir_ = mkdtemp(tmpl);
    oldDir_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_);
}

void SimLoggerTest::TearDown() {
    closePort(hCom);
    hCom = nullptr;
    if (server) server->stop();
    std::filesystem::current_path(oldDir_);
    std::filesystem::remove_all(dir_);
    ProgramTest::TearDown();
}

bool SimLoggerTest::connect(const std::string& settings) {
    vx::sim::Options o;
    std::string err;
    if (!vx::sim::parseSimSettings(settings, o, err)) return ADD_FAILURE() << err, false;
    auto dev = vx::sim::makeDevice(o, err, &session);
    if (!dev) return ADD_FAILURE() << err, false;
    vx::sim::PtyServerConfig cfg;
    cfg.baud = o.baud;
    cfg.mode = o.mode;
    server = std::make_unique<vx::sim::PtyServer>(std::move(dev), cfg);
    if (!server->start(&err)) return ADD_FAILURE() << err, false;
    hCom = openPort(server->path().c_str());
    if (!hCom) return ADD_FAILURE() << "cannot open " << server->path(), false;
    setCommPort(server->path().c_str());
    initCOM(hCom);
    Timeout_rx = 300;
    if (test_hCom(hCom) != 1) return ADD_FAILURE() << "no identification", false;
    choosePageReadingMode();
    return true;
}

std::string SimLoggerTest::slurp(const std::filesystem::path& p) {
    std::ifstream f(p, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

}  // namespace vx::test
