#pragma once
// The built-in simulated device behind --simulate: a pseudo-terminal served in-process.

#include <memory>
#include <string>

namespace vx::cli {

class Simulation {
public:
    virtual ~Simulation() = default;
    virtual std::string portPath() const = 0;

    // spec: "PROFILE[,key=value...]" ("" is the default logger). Null with err on failure.
    static std::unique_ptr<Simulation> start(const std::string& spec, std::string& err);
};

}  // namespace vx::cli
