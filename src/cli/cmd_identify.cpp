// vendrix-cli identify: finds the device and prints what it is.

#include <cstdio>

#include "cli/commands.h"
#include "cli/connection.h"
#include "link/com.h"
#include "link/dialing.h"
#include "link/modem_ini.h"
#include "state/flags.h"

namespace vx::cli {

int cmdIdentify(const std::vector<std::string>& args) {
    Options opts(connectionOptions());
    if (!parseOrHelp(opts, args, "identify", "Finds the device and prints its identity."))
        return exitStatus();
    if (std::string bad = checkConnectionOptions(opts); !bad.empty()) return usageError("identify", bad);
    useTerminal(opts);
    Connection conn;
    if (!conn.open(opts)) return fail(conn.message());

    std::printf("Port:             %s\n", CommPort);
    if (Flag.modem == 1 && Stato_OPM != 2) {
        std::printf("Device:           modem (answered ATV0)\n");
        return 0;
    }
    if (Stato_OPM == 2)
        std::printf("Modem line:       %s (%s)\n", vx::link::modemResultText(Modem_fback),
                    reinterpret_cast<const char*>(Ntel));
    if (Flag.QM43BOOT == 1) {
        std::printf("Device:           QM43 boot loader\n");
        std::printf("Boot loader:      %s\n", Flag.bootvers);
        return 0;
    }
    int digit = chr_to_num_hex(Datalogger.hw);
    std::printf("Board type:       %s (%c)\n", digit >= 0 ? Lista_schede[digit] : "unknown", Datalogger.hw);
    std::printf("Firmware release: %s\n", FW_release);
    std::printf("Firmware byte:    0x%02X\n", unsigned(Datalogger.fw));
    std::printf("Flags:            VT71=%d NOD85=%d QM42=%d QM43=%d QM43BOOT=%d\n", int(Flag.VT71),
                int(Flag.NOD85), int(Flag.QM42), int(Flag.QM43), int(Flag.QM43BOOT));
    return 0;
}

}  // namespace vx::cli
