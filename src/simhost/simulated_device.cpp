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

bool SimulatedDevice::checkSettings(const std::string& settings, std::string& err) {
    vx::sim::Options opts;
    if (vx::sim::parseSimSettings(settings, opts, err)) return true;
    std::string profile = settings.substr(0, settings.find(','));
    if (profile.find('=') == std::string::npos && !vx::sim::isProfile(profile)) {
        std::string list;
        for (const std::string& p : vx::sim::profiles())
            list += (list.empty() ? "" : ", ") + p;
        err = "unknown profile " + profile + " (profiles: " + list + ")";
    }
    return false;
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
