#include "shell/windows/main_window.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>

#include "boards/alarms.h"
#include "boards/vt71_params.h"
#include "link/com.h"
#include "session/download.h"
#include "session/page_access.h"
#include "session/session_reader.h"
#include "session/session_report.h"
#include "session/session_state.h"
#include "shell/flags.h"
#include "shell/windows/alt_keys.h"
#include "shell/windows/placeholders.h"
#include "ui/qt/controls.h"

namespace vx::shell {
namespace {

constexpr uint16_t TC_DEF_VT71 = 900;  // board averaging time when it cannot be read
constexpr QRgb kSampleErrorBackground = 0xFF0000;

using vx::ui::Answer;
using vx::ui::Buttons;
using vx::ui::Icon;

}  // namespace

MainWindowLinks MainWindowLinks::defaults() {
    return {openPostProcessing, openSampleTimer, startMonitor, openInverterDetails};
}

MainWindow::MainWindow(MainWindowLinks links, QWidget* parent) : QDialog(parent), links_(std::move(links)) {
    buildControls();
    vx::boards::onAlarmsRead = [this](vx::ui::WindowHandle h) {
        if (h == static_cast<QWidget*>(this)) showAlarms();
    };
}

MainWindow::~MainWindow() {
    vx::boards::onAlarmsRead = nullptr;
}

void MainWindow::status(int part, const char* text) {
    vx::ui::backend().setStatus(this, part, text);
}

void MainWindow::openSequence() {
    adjustSize();
    vx::ui::qt::centerOnScreen(this);
    Flag.verbose = 0;
    Flag.skip_refresh = 0;
    choosePageReadingMode();

    Flag.pages[0] = 0;
    initSession(Flag.pages, this);
    if (Flag.pages_error == 0) rewriteReport();

    if (Flag.VT71 == 1 || Flag.NOD85 == 1) {
        satmr_->hide();
        uint32_t tcm = 0;
        Tsample = get_VT71_par(2, 7, &tcm) ? uint16_t(tcm) : TC_DEF_VT71;
        showAlarms();  // also when the register could not be read
    } else {
        hideBoardRows();
    }
    sample_->setText(QString::number(Tsample));
    status(0, vx::ui::format("Ready: %u", BR_value).c_str());
}

void MainWindow::rewriteReport() {
    vx::ui::backend().clearText(report_);
    printInfoSes(report_, Flag.verbose);
    report_->moveCursor(QTextCursor::Start);
    report_->verticalScrollBar()->setValue(0);
}

void MainWindow::sampleTimeNotified() {
    bool ok = false;
    qulonglong v = sample_->text().toULongLong(&ok);
    bool valid = ok && v >= 1 && v <= 65535;
    if (valid) Tsample = uint16_t(v);
    Flag.sample_error = valid ? 0 : 1;
    start_->setEnabled(valid);
    QPalette pal = sample_->palette();
    pal.setColor(QPalette::Base, valid ? palette().color(QPalette::Base) : QColor(kSampleErrorBackground));
    sample_->setPalette(pal);
    Flag.skip_refresh = 0;
}

void MainWindow::start() {
    status(0, "Busy...");
    const char* name = DataTimeSS;
    for (;;) {
        if (Flag.skip_refresh == 0) {
            if (!saveFile(this, name)) {
                vx::ui::message(this, "Download procedure was not completed !", "Warning", Icon::Warning);
                status(0, "Ready");
                return;
            }
            Flag.skip_refresh = 1;
            break;
        }
        if (vx::ui::message(this, "New data download from the datalogger ?", "Warning", Icon::Question,
                            Buttons::YesNo) == Answer::Yes) {
            Flag.skip_refresh = 0;
            continue;
        }
        // The table already downloaded, at the list position the user left it.
        InfoSES.nItem = InfoSES.nItem_;
        InfoSES.nSubItem = InfoSES.nSubItem_;
        break;
    }
    status(0, "Ready");
    if (links_.postProcessing) links_.postProcessing(this);
}

void MainWindow::clockSyncClicked() {
    if (vx::ui::message(this, "Synchronize datalogger clock with PC clock ?", "Question", Icon::Question,
                        Buttons::YesNo) != Answer::Yes)
        return;
    if (clockSync() == 1) {
        initTimeMark();
        rewriteReport();
    } else {
        vx::ui::message(this, "Datalogger clock synchronization failed !", "Com Error", Icon::Error);
    }
}

void MainWindow::sampleTimerClicked() {
    clearRxBuf(hCom);
    if (sendCOMMAND(hCom, "ATOS\r", 13) != 1) {
        vx::ui::message(this, "Unable to read the datalogger operating status", "Com Error", Icon::Error);
        return;
    }
    Flag.stato_idle = iRx >= 2 && Rx_buf[0] == '0' && Rx_buf[1] == '0' ? 1 : 0;
    if (sendCOMMAND(hCom, "ATCM06\r", 13) != 1 || !RICEVUTO_OK()) return;
    if ((StatusReg & 0x10) == 0)
        vx::ui::message(this,
                        "Make sure the datalogger is in the initial state ASSIGNMENT\r\n (B LED lit green)",
                        "Warning", Icon::Warning);
    else
        vx::ui::message(this, "Make sure the datalogger is in READY status\r\n (B LED lit yellow)", "Warning",
                        Icon::Warning);
    if (links_.sampleTimer) links_.sampleTimer(this);
    if (Flag.stato_idle == 1) sendCOMMAND(hCom, "ATCM05\r", 13);
}

void MainWindow::monitorClicked() {
    sendCOMMAND(hCom, "ATCM07\r", 13);
    setEnabled(false);
    if (links_.monitor) links_.monitor(this);
    // The monitor runs to its end inside the call; the window takes input again after it.
    setEnabled(true);
    activateWindow();
}

bool MainWindow::serviceKey(char letter) {
    switch (letter) {
        case 'v':
            Flag.verbose = Flag.verbose == 0 ? 1 : 0;
            verbose_->setText(Flag.verbose ? QStringLiteral("Verbose ON") : QStringLiteral("Verbose OFF"));
            if (Flag.pages_error == 0) rewriteReport();
            return true;
        default:
            return false;
    }
}

void MainWindow::keyPressEvent(QKeyEvent* e) {
    if (char c = altLetter(e)) {
        serviceKey(c);
        return;
    }
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter || e->key() == Qt::Key_Escape) return;
    QDialog::keyPressEvent(e);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(e);
        if (char c = altLetter(k)) {
            serviceKey(c);
            return true;
        }
    } else if (watched == sample_ && (e->type() == QEvent::FocusIn || e->type() == QEvent::FocusOut)) {
        sampleTimeNotified();
    }
    return QDialog::eventFilter(watched, e);
}

void MainWindow::closeEvent(QCloseEvent* e) {
    e->ignore();
    done(1);
}

int runMainWindow() {
    MainWindow w;
    w.openSequence();
    return w.exec();
}

}  // namespace vx::shell
