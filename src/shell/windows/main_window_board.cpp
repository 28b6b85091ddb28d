// The energy-monitoring board's part of the main window: the four alarm rows with their
// lamps and reset buttons, and the inverter details.

#include <QLabel>
#include <QPushButton>
#include <QThread>

#include "boards/alarm_state.h"
#include "boards/alarms.h"
#include "link/com.h"
#include "link/parsers.h"
#include "shell/flags.h"
#include "shell/windows/main_window.h"
#include "ui/qt/controls.h"

namespace vx::shell {
namespace {

constexpr unsigned long kAlarmSettleMs = 500;  // the board's time to take the new register

// A brush colour 0x00BBGGRR as the toolkit's colour.
QColor brushColour(uint32_t bgr) {
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

}  // namespace

void MainWindow::showAlarms() {
    for (AlarmRow& r : alarms_) {
        r.reset->setVisible((Alarm & r.smsBit) != 0);
        QPalette pal = palette();  // the dialog background while the register is unreadable
        if (Flag.alarm_error != 1)
            pal.setColor(QPalette::Window, brushColour(ala_hbrBackground[(Alarm & r.stateBit) ? 1 : 0]));
        r.lamp->setPalette(pal);
    }
    alarms_[RowInverter].text->setText(vx::ui::qt::toQ(alarmInverterText()));
    alarms_[RowAuxiliaries].text->setText(vx::ui::qt::toQ(alarmAuxText()));
}

void MainWindow::alarmResetClicked(int row) {
    AlarmRow& r = alarms_[size_t(row)];
    const QByteArray name = r.reset->objectName().toLatin1();
    disable_cntr(this, name.constData());
    Alarm = uint8_t(Alarm & ~r.smsBit);
    sendCOMMAND(hCom, vx::ui::format("ATSA%02X\r", unsigned(Alarm)).c_str(), 13);
    QThread::msleep(kAlarmSettleMs);
    upd_Alarm(this);
    enable_cntr(this, name.constData());
}

void MainWindow::detailsClicked() {
    if (sendCOMMAND(hCom, "ATRD0013\r", 13) != 1) {
        vx::ui::message(this, "No response from datalogger !", "COM Error", vx::ui::Icon::Error);
        return;
    }
    // Bytes 19 and 20 of the board image: the number of inverters and the first address.
    for (uint8_t& b : comReg2_) {
        if (sendCOMMAND(hCom, "ATEE\r", 13) != 1) {
            vx::ui::message(this, "No response from datalogger !", "COM Error", vx::ui::Icon::Error);
            return;
        }
        b = uint8_t(str16_to_num(Rx_buf, 2));
    }
    if (links_.inverterDetails) links_.inverterDetails(this);
}

}  // namespace vx::shell
