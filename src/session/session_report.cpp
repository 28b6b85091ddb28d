#include "session/session_report.h"

#include "link/com.h"
#include "session/memory_model.h"
#include "session/quantities.h"
#include "session/session_state.h"
#include "state/flags.h"
#include "ui/text_report.h"

using namespace vx::session;

void printInfoSes(vx::ui::WindowHandle hDlgCtrl, int32_t verb) {
    vx::ui::backend().clearText(hDlgCtrl);

    printf_API(hDlgCtrl, "Communication Port....... ");
    printf_API(hDlgCtrl, "%s\r\n", CommPort);
    if (Flag.VT71)
        printf_API(hDlgCtrl, "VT Firmware Version...... ");
    else if (Flag.NOD85)
        printf_API(hDlgCtrl, "NOD85 Firmware Version... ");
    else
        printf_API(hDlgCtrl, "QM4X Firmware Version.... ");
    printf_API(hDlgCtrl, "%s\r\n\r\n", FW_release);

    if (verb == 1) {
        printf_API(hDlgCtrl, "Table page........ 0x%s\r\n", PageTab);
        printf_API(hDlgCtrl, "First page........ 0x%s\r\n", PageFirst);
        printf_API(hDlgCtrl, "Last page......... 0x%s\r\n", PageLast);
        printf_API(hDlgCtrl, "Total data pages.. %u\r\n", unsigned(TotalPagNum));
        printf_API(hDlgCtrl, "Status Register... 0x%02X\r\n", unsigned(StatusReg));
        printf_API(hDlgCtrl, "Errors Register... 0x%02X\r\n\r\n", unsigned(ErrorsReg));
    }

    printf_API(hDlgCtrl, "PC Clock................. ");
    printf_API(hDlgCtrl, "%s\r\n", DataTimePC);
    printf_API(hDlgCtrl, "Datalogger Clock......... ");
    printf_API(hDlgCtrl, "%s\r\n", DataTimeDL);
    printf_API(hDlgCtrl, "Start session............ ");
    printf_API(hDlgCtrl, "%s\r\n", DataTimeSS);
    printf_API(hDlgCtrl, "Length session........... ");
    printf_API(hDlgCtrl, "%s\r\n\r\n", DurataSessione);

    printNodeList(hDlgCtrl);
}

void printNodeList(vx::ui::WindowHandle hDlgCtrl) {
    for (int k = 1; k <= TotalNodeNum && k <= MAX_NODES; ++k) {
        const datitab& node = InfoFE[k];
        printf_API(hDlgCtrl, "- %s %u ", "Node", unsigned(node.nodead));
        printf_API(hDlgCtrl, "(SaTmr= %u s, Vbat= %1.2f V)\r\n", unsigned(node.satmr),
                   double(float(node.vbat) / 100.0f));
        for (int j = 0; j < node.chanu_logic; ++j)
            printf_API(hDlgCtrl, "  - Ch %u (%s)\r\n", unsigned(j + 1),
                       Lista_Grandezze[quantityCode(node, j)]);
        printf_API(hDlgCtrl, "\r\n");
    }
}
