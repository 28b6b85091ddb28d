#include "shell/windows/remote_dialog.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <cstdio>
#include <string>

#include "link/com.h"
#include "link/dialing.h"
#include "link/modem_ini.h"
#include "shell/phone_book.h"
#include "shell/windows/main_window.h"
#include "state/exe_dir.h"
#include "ui/backend.h"
#include "ui/input_dialogs.h"
#include "ui/qt/controls.h"

namespace vx::shell {
namespace {

const char* ntelText() {
    return reinterpret_cast<const char*>(Ntel);
}

}  // namespace

RemoteDialog::RemoteDialog(std::function<void(QWidget*)> mainWindow, QWidget* parent)
    : QDialog(parent), mainWindow_(std::move(mainWindow)), timer_(new QTimer(this)) {
    using namespace vx::ui::qt;
    if (!mainWindow_) mainWindow_ = [](QWidget*) { runMainWindow(); };
    setObjectName(QStringLiteral("DlgRemote"));
    setWindowTitle(QStringLiteral("Remote connection"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    rub_ = makeButton(this, "ID_BTN_RUB", "Phone book");
    ntel_ = makeButton(this, "ID_BTN_NTEL", "");
    conn_ = makeButton(this, "ID_BTN_CONN", "Connection");
    vendrix_ = makeButton(this, "ID_BTN_VENDRIX", "Read Data");
    rexit_ = makeButton(this, "ID_BTN_REXIT", "Exit");
    status_ = named(new QLabel(this), "ID_TXT_STATO");
    status_->setAlignment(Qt::AlignCenter);
    status_->setFrameShape(QFrame::Panel);
    status_->setFrameShadow(QFrame::Sunken);
    status_->setMinimumWidth(180);
    status_->setAutoFillBackground(true);
    timer_->setObjectName(QStringLiteral("ID_TIMER_MAIN"));
    timer_->setInterval(TIMER_TIME);

    auto* grid = new QGridLayout;
    grid->addWidget(named(new QLabel(QStringLiteral("Phone host No."), this), "ID_TXT_NTEL"), 0, 0);
    grid->addWidget(ntel_, 0, 1);
    grid->addWidget(rub_, 0, 2);
    grid->addWidget(conn_, 1, 0);
    grid->addWidget(status_, 1, 1, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(vendrix_);
    buttons->addStretch();
    buttons->addWidget(rexit_);
    auto* col = new QVBoxLayout(this);
    col->addLayout(grid);
    col->addLayout(buttons);

    connect(timer_, &QTimer::timeout, this, &RemoteDialog::tick);
    connect(rub_, &QPushButton::clicked, this, &RemoteDialog::phoneBook);
    connect(ntel_, &QPushButton::clicked, this, &RemoteDialog::editNumber);
    connect(conn_, &QPushButton::clicked, this, &RemoteDialog::dial);
    connect(rexit_, &QPushButton::clicked, this, &RemoteDialog::exitStopHangUp);
    connect(vendrix_, &QPushButton::clicked, this, &RemoteDialog::readData);

    load_ini((std::string(Exe_dir) + "/Farlinks.ini").c_str());
    Modem_fback = MODEM_NO_CODE;
    Stato_OPM = 0;
    showNumber();
    showStatus("");
    vendrix_->setEnabled(false);
    adjustSize();
    centerOnScreen(this);
}

bool RemoteDialog::timerRunning() const {
    return timer_->isActive();
}

void RemoteDialog::showNumber() {
    ntel_->setText(vx::ui::qt::toQ(ntelText()));
}

// The text on the colour of the last result code.
void RemoteDialog::showStatus(const char* text) {
    status_->setText(vx::ui::qt::toQ(text));
    QPalette pal = palette();  // "Not defined status": the window's own background
    const uint32_t c = vx::link::modemResultColour(Modem_fback);
    if (c != vx::link::kDialogBackground)
        pal.setColor(QPalette::Window, QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int(c >> 16)));
    status_->setPalette(pal);
}

void RemoteDialog::phoneBook() {
    if (loadFileRub(this) == 0) {
        vx::ui::message(this, "Phone number not found !", "Warning", vx::ui::Icon::Warning);
        return;
    }
    std::snprintf(reinterpret_cast<char*>(Ntel), sizeof Ntel, "%.*s", DIMNTEL, EditBuf);
    showNumber();
}

void RemoteDialog::editNumber() {
    MaxEdit = DIMNTEL;
    std::snprintf(TitoloBuf, sizeof TitoloBuf, "%s", "Enter a phone number");
    std::snprintf(EditBuf, sizeof EditBuf, "%s", ntelText());
    if (DlgInputTxt_(this) != 1) return;
    std::snprintf(reinterpret_cast<char*>(Ntel), sizeof Ntel, "%.*s", DIMNTEL, EditBuf);
    showNumber();
    if (vx::ui::message(this, "Save the number in the phone book ?", "Question", vx::ui::Icon::Question,
                        vx::ui::Buttons::YesNo) != vx::ui::Answer::Yes)
        return;
    if (saveFileRub(this) == 0)
        vx::ui::message(this, "Saving can not be done !", "Warning", vx::ui::Icon::Warning);
}

void RemoteDialog::dial() {
    timer_->start();
    disable_cntr(this, "ID_BTN_CONN");
    vx::link::DialEvent e = vx::link::dialNumber(hCom, ntelText());
    if (e != vx::link::DialEvent::None) return afterResult(e == vx::link::DialEvent::Connected);
    showStatus("Connecting...");
    rexit_->setText(QString::fromLatin1(Codifica_pulsante_rexit[Stato_OPM]));
}

void RemoteDialog::tick() {
    if (vx::link::linkBusy()) return;  // a procedure is using the line
    switch (vx::link::pollDial(hCom)) {
        case vx::link::DialEvent::None:
            return;
        case vx::link::DialEvent::Idle:
            return afterResult(false);
        case vx::link::DialEvent::Connected:
            return afterResult(true);
    }
}

void RemoteDialog::afterResult(bool connectedNow) {
    showStatus(vx::link::modemResultText(Modem_fback));
    if (connectedNow) {
        timer_->stop();
        enable_cntr(this, "ID_BTN_VENDRIX");
        disable_cntr(this, "ID_BTN_RUB");
        disable_cntr(this, "ID_BTN_NTEL");
    } else {
        enable_cntr(this, "ID_BTN_CONN");
    }
    rexit_->setText(QString::fromLatin1(Codifica_pulsante_rexit[Stato_OPM]));
}

void RemoteDialog::exitStopHangUp() {
    switch (Stato_OPM) {
        case 1:
            if (vx::link::stopDial(hCom) != 1) return;
            showStatus("");
            rexit_->setText(QString::fromLatin1(Codifica_pulsante_rexit[0]));
            enable_cntr(this, "ID_BTN_CONN");
            return;
        case 2:
            disable_cntr(this, "ID_BTN_REXIT");
            vx::link::hangUp(hCom);
            showStatus("");
            rexit_->setText(QString::fromLatin1(Codifica_pulsante_rexit[0]));
            timer_->start();
            enable_cntr(this, "ID_BTN_REXIT");
            enable_cntr(this, "ID_BTN_RUB");
            enable_cntr(this, "ID_BTN_NTEL");
            disable_cntr(this, "ID_BTN_VENDRIX");
            return;
        default:
            done(1);
    }
}

void RemoteDialog::readData() {
    disable_cntr(this, "ID_BTN_VENDRIX");
    if (vx::link::identifyRemote(hCom) == 1)
        mainWindow_(this);
    else
        vx::ui::message(this, "Datalogger not found !", "COM Error", vx::ui::Icon::Error);
    enable_cntr(this, "ID_BTN_VENDRIX");
}

void RemoteDialog::closeEvent(QCloseEvent* e) {
    e->ignore();
    timer_->stop();
    done(1);
}

int DlgRemote() {
    RemoteDialog w;
    return w.exec();
}

}  // namespace vx::shell
