#pragma once
// One run of a vendrix-cli command against a simulated device that injects one kind of
// fault, judged against a clean run of the same command: the outputs came out
// byte-identical, or the command failed the way it says it does (a message, exit status
// 1, no output that looks complete, the device out of its upload or monitor mode), or the
// run is a fault of the program (a silent corruption, a hang, a device left in a mode).
//
// The device is served by a pty server inside this process, so that its state can be
// looked at after the command has ended; the command runs as its own process, as a
// script runs it.

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace vx::faults {

enum class Operation {
    Download,
    Monitor,
    FlashUpload,
    FirmwareUpload,
    FastFirmwareUpload,
    EepromDump,
    FastEepromDump,
    BoardWrite
};
enum class Fault {
    LostCommand,
    DroppedReply,
    TruncatedReply,
    LateReply,
    ErrReply,
    PortVanished,
    DeviceReset,
    Garbled
};

// The parameter file the board write runs with (the board's own image, other values).
std::string boardParameterFile();

const std::vector<Operation>& allOperations();
const std::vector<Fault>& allFaults();
const char* name(Operation op);
const char* name(Fault f);

enum class Verdict { Identical, FailedCleanly, Corrupted, Hung, LeftInMode, Broken };
const char* name(Verdict v);

struct RunResult {
    Verdict verdict = Verdict::Broken;
    std::string detail;        // why, for a verdict other than Identical
    double seconds = 0;        // wall time of the command
    uint64_t faultsFired = 0;  // faults the device injected
    int exitCode = -1;
};

class FaultRunner {
  public:
    // Scratch folders go under `work`; vendrix-cli is taken from beside this program.
    explicit FaultRunner(std::filesystem::path work);
    ~FaultRunner();

    // The operation with the fault at `rate` (probability per command or reply) from `seed`.
    // The first run of an operation also makes its clean reference.
    RunResult run(Operation op, Fault fault, double rate, uint64_t seed);

    // The longest a run of the operation may take (the documented time-outs and pauses).
    static double boundSeconds(Operation op);

  private:
    struct Outputs {
        std::map<std::string, std::string> files;  // the folder's files after the run
        std::string device;                        // what the device holds (flash, firmware, image)
        bool inMode = false;                       // left in monitor or upload mode
        bool vanished = false;
        uint64_t faults = 0;
        int exitCode = -1;
        int signal = 0;
        double seconds = 0;
        std::string out, err;
    };
    Outputs execute(Operation op, const std::string& faultSettings, uint64_t faultSeed, bool hangUp);
    const Outputs& clean(Operation op);

    std::filesystem::path work_;
    std::map<Operation, Outputs> clean_;
    int runs_ = 0;
};

}  // namespace vx::faults
