#include "simhost/simulated_device.h"

#include "sim/options.h"
#include "sim/pty_server.h"

namespace vx::simhost {

SimulatedDevice::~SimulatedDevice() {
    if (server_) server_->stop();
}

const std::string& SimulatedDevice::portPath() const {
    return server_->path();
}

std::unique_ptr<SimulatedDevice> SimulatedDevice::start(const std::string& settings, std::string& err) {
    vx::sim::Options opts;
    if (!vx::sim::parseSimSettings(settings, opts, err)) return nullptr;
    auto device = vx::sim::makeDevice(opts, err);
    if (!device) return nullptr;
    vx::sim::PtyServerConfig cfg;
    cfg.baud = opts.baud;
    cfg.mode = opts.mode;
    cfg.closeOnVanish = opts.closeOnVanish;
    auto sim = std::unique_ptr<SimulatedDevice>(new SimulatedDevice);
    sim->server_ = std::make_unique<vx::sim::PtyServer>(std::move(device), cfg);
    if (!sim->server_->start(&err)) return nullptr;
    return sim;
}

}  // namespace vx::simhost
