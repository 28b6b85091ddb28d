#include "shell/windows/main_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>

#include "boards/alarms.h"
#include "boards/display_board.h"
#include "boards/windows/board_config_dialog.h"
#include "boards/windows/display_board_dialog.h"
#include "boards/windows/gsm_field_dialog.h"
#include "boards/windows/inverter_details_dialog.h"
#include "link/com.h"
#include "loader/windows/loader_dialog.h"
#include "monitor/windows/monitor_dialog.h"
#include "monitor/windows/sample_timer_dialog.h"
#include "postproc/windows/set_file_dialog.h"
#include "session/session_reader.h"
#include "session/session_report.h"
#include "session/session_state.h"
#include "shell/logger_modes.h"
#include "shell/program_settings.h"
#include "shell/service_commands.h"
#include "shell/session_commands.h"
#include "shell/windows/alt_keys.h"
#include "shell/windows/placeholders.h"
#include "state/flags.h"
#include "ui/qt/controls.h"

namespace vx::shell {
namespace {

constexpr QRgb kSampleErrorBackground = 0xFF0000;

using vx::ui::Answer;
using vx::ui::Buttons;
using vx::ui::Icon;

}  // namespace

MainWindowLinks MainWindowLinks::defaults() {
    MainWindowLinks links;
    links.postProcessing = [](QWidget* owner) { runPostProcessing(owner); };
    links.sampleTimer = [](QWidget* owner) { vx::monitor::DlgSaTmr(owner); };
    links.monitor = [](QWidget* owner) { vx::monitor::runMonitorWindow(owner); };
    links.inverterDetails = [](QWidget* owner) {
        vx::boards::DlgDettagli(owner, static_cast<MainWindow*>(owner)->detailsComReg2());
    };
    links.gsmField = [](QWidget* owner) { vx::boards::DlgCampoGSM(owner); };
    links.boardConfig = [](QWidget* owner) { vx::boards::DlgVT71cfg(owner, boardConfigLinks()); };
    links.displayBoard = [](QWidget* owner) { vx::boards::DlgVT71hcfg(owner); };
    return links;
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
    openSession(this);
    if (Flag.pages_error == 0) rewriteReport();
    if (Flag.VT71 == 1 || Flag.NOD85 == 1) {
        satmr_->hide();
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
    DownloadOutcome r = startDownload(this, DataTimeSS, rawOptionsFor(DataTimeSS));
    bool table = r.kind == DownloadOutcome::Kind::Downloaded || r.kind == DownloadOutcome::Kind::Reused;
    if (table && links_.postProcessing) links_.postProcessing(this);
}

void MainWindow::keepRawToggled(bool on) {
    if (setKeepRawData(on)) return;
    vx::ui::message(this, "Vendrix.ini can not be written !", "Warning", Icon::Warning);
    const QSignalBlocker quiet(keepRaw_);
    keepRaw_->setChecked(!on);  // the box shows what the next run will find
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
    if (!links_.sampleTimer) return notAvailable(this, "sample timer window");
    runSampleTimer(this, [this] { links_.sampleTimer(this); });
}

void MainWindow::monitorClicked() {
    // Nothing is sent before the monitor exists: the logger must not be left monitoring.
    if (!links_.monitor) return notAvailable(this, "real-time monitor");
    setEnabled(false);
    runMonitor(this, [this] { links_.monitor(this); });
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
        case 'g':
            if (Flag.verbose && links_.gsmField) links_.gsmField(this);
            return true;
        case 'i':
            enterIdle(this);
            return true;
        case 'u':
            leaveIdle(this);
            return true;
        case 'f':
            if (Flag.verbose && clearFlash(this) == 1 && Flag.pages_error == 0) rewriteReport();
            return true;
        case 'a':
            if (Flag.verbose) networkAddress(this);
            return true;
        case 'w':
            if (Flag.verbose) uploadFlashImage(this);
            return true;
        case 'p':
            if (Flag.verbose) pagePointers(this);
            return true;
        case 'c':
            if (Flag.VT71 == 1 || Flag.NOD85 == 1) energyCounters(this);
            return true;
        case 'o':
            if (Flag.VT71 == 1) optionRegister(this);
            return true;
        case 'z':
            boardConfigKey();
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

void MainWindow::boardConfigKey() {
    if (Flag.VT71 == 1 || Flag.NOD85 == 1) {
        // The window's title and its display set-up need the display boards' family.
        detect_Slave_board();
        if (links_.boardConfig) links_.boardConfig(this);
    } else if (Flag.QM42 == 1) {
        CodeD = 2;
        if (links_.displayBoard) links_.displayBoard(this);
    }
}

vx::boards::BoardConfigLinks boardConfigLinks() {
    vx::boards::BoardConfigLinks links;
    links.firmwareLoader = [](QWidget* owner) { run_loader(owner); };
    links.displayDetails = [](QWidget* owner, int code) {
        CodeD = code;
        vx::boards::DlgVT71hcfg(owner);
    };
    return links;
}

int runMainWindow() {
    MainWindow w;
    w.openSequence();
    return w.exec();
}

}  // namespace vx::shell
