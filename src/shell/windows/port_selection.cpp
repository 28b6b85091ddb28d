#include "shell/windows/port_selection.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "quick/windows/quick_dialog.h"
#include "shell/port_scan.h"
#include "shell/startup_state.h"
#include "shell/windows/alt_keys.h"
#include "shell/windows/placeholders.h"
#include "ui/backend.h"
#include "ui/qt/controls.h"

namespace vx::shell {

PortSelection::PortSelection(std::function<int(QWidget*)> quickMode, QWidget* parent)
    : QDialog(parent), quickMode_(quickMode ? std::move(quickMode) : [](QWidget* owner) {
          return vx::quick::runQuickMode(owner, false);
      }) {
    setObjectName(QStringLiteral("DlgSelCOM"));
    setWindowTitle(QString::fromLatin1(Nome_prog));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* info = new QLabel(
        QStringLiteral("Select the COM port of the datalogger with a double-click (or press ENTER)"), this);
    info->setObjectName(QStringLiteral("ID_TXT_SELINFO1"));
    info->setWordWrap(true);
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("ID_LST_SELCOM"));
    auto* exit = new QPushButton(QStringLiteral("Exit"), this);
    exit->setObjectName(QStringLiteral("ID_BTN_SELCOMEXIT"));
    exit->setAutoDefault(false);

    auto* col = new QVBoxLayout(this);
    col->addWidget(info);
    col->addWidget(list_, 1);
    col->addWidget(exit, 0, Qt::AlignHCenter);
    resize(300, 260);

    connect(list_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* it) { choose(it); });
    connect(exit, &QPushButton::clicked, this, [this] { done(1); });
    for (QWidget* w : findChildren<QWidget*>())
        w->installEventFilter(this);
}

int PortSelection::scan() {
    vx::ui::qt::centerOnScreen(this);
    Porte.clear();
    Nport = 0;
    if (autoScanPorts(scanPortList()) == 1) return 2;
    for (const vx::link::PortInfo& port : Porte) {
        // The entry is the port's name; the adapter's description, where the platform
        // gives one, follows it.
        QString text = vx::ui::qt::toQ(port.name);
        if (!port.description.empty())
            text += QStringLiteral("  (") + vx::ui::qt::toQ(port.description) + ')';
        auto* item = new QListWidgetItem(text, list_);
        item->setData(Qt::UserRole, vx::ui::qt::toQ(port.name));
    }
    // The first entry is selected, so Enter chooses it at once.
    if (list_->count() > 0) {
        list_->setCurrentRow(0);
        list_->setFocus();
    }
    if (Nport == 0)
        vx::ui::message(this, "No COM port found !\r\n\r\nQuit the program and verify the serial connection",
                        "Warning", vx::ui::Icon::Warning);
    return 0;
}

void PortSelection::choose(QListWidgetItem* item) {
    if (!item) return;
    // Trying a port can take the whole time-out: the pointer says the program is busy.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    std::string failure;
    int found = probePort(vx::ui::qt::fromQ(item->data(Qt::UserRole).toString()), failure);
    QApplication::restoreOverrideCursor();
    if (found == 1)
        done(2);
    else
        vx::ui::message(this, failure, "COM Error", vx::ui::Icon::Error);
}

bool PortSelection::serviceKey(char letter) {
    if (letter != 'q') return false;
    setEnabled(false);
    quickMode_(this);
    setEnabled(true);
    activateWindow();
    return true;
}

void PortSelection::keyPressEvent(QKeyEvent* e) {
    if (char c = altLetter(e)) {
        serviceKey(c);
        return;
    }
    // Enter chooses only on the list (the event filter); elsewhere it does nothing.
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) return;
    if (e->key() == Qt::Key_Escape) return;
    QDialog::keyPressEvent(e);
}

bool PortSelection::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(e);
        if (char c = altLetter(k)) {
            serviceKey(c);
            return true;
        }
        if (watched == list_ && (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter)) {
            if (!list_->selectedItems().isEmpty()) choose(list_->selectedItems().first());
            return true;
        }
    }
    return QDialog::eventFilter(watched, e);
}

void PortSelection::closeEvent(QCloseEvent* e) {
    e->ignore();
    done(0);
}

int DlgSelCOM() {
    PortSelection w;
    if (w.scan() == 2) return 2;
    return w.exec();
}

}  // namespace vx::shell
