#include "link/modem_ini.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/atomic_file.h"
#include "state/exe_dir.h"

uint8_t Ntel[DIMNTEL + 1];

namespace {
constexpr size_t kMaxModemLine = 258;
}

void init_modem(PortHandle hcom) {
    std::string path = std::string(Exe_dir) + "/modem.ini";
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return;
    std::string line;
    int c;
    while ((c = std::fgetc(f)) != EOF) {
        if (c == '\r' || c == '\n') {
            if (!line.empty()) {
                line += '\r';
                sendCOMMAND(hcom, line.c_str(), 13);
            }
            line.clear();
        } else if (line.size() < kMaxModemLine) {
            line += char(c);
        }
    }
    std::fclose(f);
}

void load_ini(const char* szNomefile) {
    FILE* f = std::fopen(szNomefile, "rb");
    if (!f) return;
    char key[8] = {};
    size_t k = 0;
    int c;
    while ((c = std::fgetc(f)) != EOF && c != '=' && k < sizeof key - 1)
        key[k++] = char(c);
    if (c == '=' && std::strcmp(key, "Ntel") == 0) {
        size_t n = 0;
        while ((c = std::fgetc(f)) != EOF && c != '\r') {
            if (n < DIMNTEL) Ntel[n++] = uint8_t(c);
        }
        Ntel[n] = 0;
    }
    std::fclose(f);
}

int32_t save_ini(const char* szNomefile) {
    char line[DIMNTEL + 16];
    int n = std::snprintf(line, sizeof line, "%s=%s\r\n", "Ntel", reinterpret_cast<const char*>(Ntel));
    return vx::platform::writeFileAtomically(szNomefile ? szNomefile : "", line, size_t(n)) ? 1 : 0;
}
