// "modem.ini": each line sent to a modem that never answers.

#include "fuzz_env.h"
#include "link/com.h"
#include "link/modem_ini.h"

namespace {

// A modem that takes every command and never answers; its clock moves by each wait.
class SilentModem : public vx::link::SerialPort {
  public:
    const std::string& name() const override { return name_; }
    vx::link::PortState state() override { return {{1}}; }
    void setState(const vx::link::PortState&) override {}
    bool configure(uint32_t, bool, vx::link::PortFailure*) override { return true; }
    void discardInput() override {}
    size_t write(const uint8_t*, size_t len) override { return len; }
    bool readByte(uint8_t&) override { return false; }
    bool waitReadable(int timeoutMs) override {
        nowMs_ += uint64_t(timeoutMs > 0 ? timeoutMs : 0);
        return false;
    }
    uint64_t nowMs() const override { return nowMs_; }
    void sleepMs(uint32_t ms) override { nowMs_ += ms; }

  private:
    std::string name_ = "MODEM0";
    uint64_t nowMs_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vx::fuzz::freshProgram();
    vx::fuzz::inputFile("modem.ini", data, size);
    SilentModem modem;
    hCom = &modem;
    init_modem(hCom);
    hCom = nullptr;
    return 0;
}
