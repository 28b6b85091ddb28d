#include "monitor/windows/monitor_dialog.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QFontDatabase>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QTimer>
#include <QVBoxLayout>

#include "monitor/monitor.h"
#include "monitor/windows/channel_selection_dialog.h"
#include "monitor/windows/channel_window.h"
#include "ui/qt/controls.h"

namespace vx::monitor {
namespace {

constexpr int kTickMs = 100;

// Where the monitor stood when it last closed (the program run's memory).
struct Place {
    QPoint at;
    bool enabled = false;
} gPlace;

}  // namespace

// A window of its own, not a child of the main window: a child would be disabled with it.
MonitorDialog::MonitorDialog(QWidget* mainWindow) : QDialog(nullptr), main_(mainWindow) {
    using namespace vx::ui::qt;
    setObjectName(QStringLiteral("DlgMonitor"));
    setWindowTitle(QStringLiteral("Monitor"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setStyleSheet(QStringLiteral("QGroupBox::title { color: #0000FF; }"));

    QGroupBox* frame = makeGroup(this, "ID_TXTG_MON", "Real-time RX data packets");
    text_ = named(new QPlainTextEdit(frame), "ID_EDT_MONINFO");
    text_->setReadOnly(true);
    text_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    text_->setStyleSheet(QStringLiteral("QPlainTextEdit { color: #FFFFFF; background: #000000; }"));
    text_->setLineWrapMode(QPlainTextEdit::NoWrap);
    auto* inFrame = new QVBoxLayout(frame);
    inFrame->addWidget(text_);
    esc_ = makeButton(this, "ID_BTN_MONESC", "Esc");
    QPushButton* save = makeButton(this, "ID_BTN_MONSAVE", "Save");
    QPushButton* channels = makeButton(this, "ID_BTN_MONCAN", "Display Channels");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(channels);
    buttons->addWidget(save);
    buttons->addStretch(1);
    buttons->addWidget(esc_);
    auto* col = new QVBoxLayout(this);
    col->addWidget(frame, 1);
    col->addLayout(buttons);
    const QFontMetrics fm(text_->font());
    resize(fm.horizontalAdvance(QLatin1Char('x')) * 100, fm.lineSpacing() * 30);

    timer_ = new QTimer(this);
    timer_->setInterval(kTickMs);
    connect(timer_, &QTimer::timeout, this, [this] { tick(); });
    connect(esc_, &QPushButton::clicked, this, [this] { escClicked(); });
    connect(save, &QPushButton::clicked, this, [this] { saveClicked(); });
    connect(channels, &QPushButton::clicked, this, [this] { displayChannelsClicked(); });

    MonitorHooks hooks = monitorHooks();
    hooks.channelValue = [this](int slot, const char* text, float) {
        if (slot >= 0 && slot < int(windows_.size()) && windows_[size_t(slot)])
            windows_[size_t(slot)]->showValue(vx::ui::qt::toQ(text));
    };
    setMonitorHooks(hooks);
}

MonitorDialog::~MonitorDialog() {
    setMonitorHooks({});
    destroyChannelWindows();
}

void MonitorDialog::start() {
    if (gPlace.enabled) {
        move(gPlace.at);
    } else {
        vx::ui::qt::centerOnScreen(this);
        gPlace = {pos(), true};
    }
    show();
    esc_->setEnabled(false);
    initMonitor(this, text_);
    esc_->setEnabled(true);
    timer_->start();
}

void MonitorDialog::moveEvent(QMoveEvent* e) {
    QDialog::moveEvent(e);
    if (isVisible()) gPlace = {pos(), true};
}

void MonitorDialog::tick() {
    monitorTick();
    trimText();
}

// The box keeps the newest text up to its limit, from a line start.
void MonitorDialog::trimText() {
    QTextDocument* doc = text_->document();
    const int excess = doc->characterCount() - int(kMonitorTextLimit);
    if (excess <= 0) return;
    QTextCursor c(doc);
    c.setPosition(doc->findBlock(excess).position());
    c.movePosition(QTextCursor::NextBlock, QTextCursor::MoveAnchor);
    c.setPosition(0, QTextCursor::KeepAnchor);
    c.removeSelectedText();
}

void MonitorDialog::saveClicked() {
    saveMonitorText(this, vx::ui::qt::fromQ(text_->toPlainText()));
}

void MonitorDialog::displayChannelsClicked() {
    timer_->stop();
    if (displayChannels(this)) {
        destroyChannelWindows();
        close_datawindows();
        setEnabled(false);
        DlgSelCH(nullptr, [this] { timer_->start(); });  // not our child: we are disabled meanwhile
        setEnabled(true);
        raise();
        activateWindow();
        open_datawindows();
        openChannelWindows();
    }
    timer_->start();
}

void MonitorDialog::openChannelWindows() {
    for (uint32_t i = 0; i < InfoSELCH.ncsel && i < windows_.size(); ++i) {
        windows_[i] = new ChannelWindow(int(i), int(i), this);
        windows_[i]->show();
    }
}

void MonitorDialog::destroyChannelWindows() {
    for (ChannelWindow*& w : windows_) {
        delete w;
        w = nullptr;
    }
}

void MonitorDialog::escClicked() {
    if (closed_) return;
    timer_->stop();
    MonitorClose how;
    how.monitorWindow = this;
    how.mainWindow = main_;
    how.reportBox = main_ ? main_->findChild<QWidget*>(QStringLiteral("ID_EDT_SES")) : nullptr;
    if (!closeMonitor(how)) {
        timer_->start();
        return;
    }
    closed_ = true;
    destroyChannelWindows();
    if (auto* report = qobject_cast<QPlainTextEdit*>(static_cast<QWidget*>(how.reportBox))) {
        report->moveCursor(QTextCursor::Start);
        report->verticalScrollBar()->setValue(0);
    }
    done(0);
}

void MonitorDialog::closeEvent(QCloseEvent* e) {
    e->ignore();
    escClicked();
}

void runMonitorWindow(QWidget* mainWindow) {
    MonitorDialog monitor(mainWindow);
    QEventLoop loop;
    QObject::connect(&monitor, &QDialog::finished, &loop, &QEventLoop::quit);
    monitor.start();
    if (monitor.isVisible()) loop.exec();
}

}  // namespace vx::monitor
