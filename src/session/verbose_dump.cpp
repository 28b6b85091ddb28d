#include "session/verbose_dump.h"

#include "link/com.h"
#include "session/memory_model.h"
#include "session/quantities.h"
#include "session/session_state.h"

namespace vx::session {

void dumpFirstHeading(FILE* f) {
    std::fputs("Tabelle di assegnazione valide rilevate ***************************************\r\n\r\n", f);
}

void dumpTableIndexLine(FILE* f, uint16_t page, const uint8_t* chunk) {
    if (tableLength(chunk) < 0) return;
    char pageText[5], start[14];
    std::snprintf(pageText, sizeof pageText, "%04X", unsigned(page & PAGE_MASK));
    sessionStartText(chunk, start);
    std::fprintf(f, "Page...0x%s %s %u\r\n", pageText, start, unsigned(chunk[1]));
}

void dumpSessionInfo(FILE* f, uint16_t firstPageDownloaded) {
    std::fputs("\r\n", f);
    std::fputs("Informazioni sull'ultima sessione di misura ***********************************\r\n\r\n", f);
    std::fprintf(f, "FW release...............%s\r\n", FW_release);
    std::fprintf(f, "Table page...............0x%s\r\n", PageTab);
    std::fprintf(f, "First page...............0x%04X\r\n", unsigned(firstPageDownloaded));
    std::fprintf(f, "Last page................0x%s\r\n", PageLast);
    std::fprintf(f, "Total data pages.........%u\r\n", unsigned(TotalPagNumDload));
    std::fprintf(f, "Status Register..........0x%02X\r\n", unsigned(StatusReg));
    std::fprintf(f, "Errors Register..........0x%02X\r\n\r\n", unsigned(ErrorsReg));
    std::fputs("Dati relativi all'ultima sessione di misura ***********************************\r\n\r\n", f);
    for (int k = 1; k <= TotalNodeNum && k <= MAX_NODES; ++k) {
        const datitab& node = InfoFE[k];
        std::fputs("TM[s/10] ", f);
        for (int j = 0; j < node.chanu_logic; ++j) {
            std::fprintf(f, "CH%u_%u(", unsigned(node.nodead), unsigned(j + 1));
            std::fprintf(f, "%s) ", Lista_Grandezze[quantityCode(node, j)]);
        }
        std::fputs("\r\n", f);
    }
}

void dumpRecords(FILE* f, ScratchReader& scratch) {
    uint8_t address;
    uint32_t marker;
    while (scratch.readHead(address, marker)) {
        int k = findNode(address);
        if (k == 0) break;  // the download stores known nodes only
        const datitab& node = InfoFE[k];
        const uint8_t* samples = scratch.readSpan(2 * size_t(node.chanu));
        if (!samples) break;  // cut off at the end
        std::fprintf(f, "%u ", unsigned(marker));
        for (int j = 0; j < node.chanu_logic; ++j)
            std::fprintf(f, "%d ", logicalValue(node, j, samples));
        std::fputs("\r\n", f);
    }
}

}  // namespace vx::session
