// The energy-monitoring board's part of the main window: the four alarm rows with their
// lamps and reset buttons, and the inverter details.

#include <QLabel>
#include <QPushButton>

#include "boards/alarm_state.h"
#include "boards/alarms.h"
#include "boards/vt71_params.h"
#include "shell/windows/main_window.h"
#include "shell/windows/placeholders.h"
#include "state/flags.h"
#include "ui/qt/controls.h"

namespace vx::shell {
namespace {

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
    vx::boards::resetAlarm(this, r.smsBit);
    enable_cntr(this, name.constData());
}

void MainWindow::detailsClicked() {
    if (!links_.inverterDetails) return notAvailable(this, "inverter details window");
    if (vx::boards::readInverterSetup(this, comReg2_)) links_.inverterDetails(this);
}

}  // namespace vx::shell
