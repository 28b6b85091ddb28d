#include "postproc/windows/plugin_launcher.h"

#include <QApplication>
#include <QPushButton>
#include <QVBoxLayout>

#include "postproc/plugins.h"
#include "state/exe_dir.h"
#include "ui/qt/controls.h"

namespace vx::postproc {
namespace {

const char* const kButtons[] = {"ID_BTN_PLUG1", "ID_BTN_PLUG2", "ID_BTN_PLUG3"};

}  // namespace

PluginDialog::PluginDialog(int found, QWidget* owner) : QDialog(owner) {
    using namespace vx::ui::qt;
    setObjectName(QStringLiteral("DlgPlugin"));
    setWindowTitle(QStringLiteral("Post-processing data"));
    // No close box: Esc (the button or the key) ends the window.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    auto* col = new QVBoxLayout(this);
    for (int i = 0; i < found && i < 3; ++i) {
        QPushButton* b = makeButton(this, kButtons[i], Lista_plugin[plug_idx[i]]);
        b->setMinimumWidth(180);
        connect(b, &QPushButton::clicked, this, [this, i] { start(i); });
        col->addWidget(b);
    }
    QPushButton* esc = makeButton(this, "ID_BTN_PLUGESC", "Esc");
    connect(esc, &QPushButton::clicked, this, [this] { done(1); });
    col->addWidget(esc);
}

void PluginDialog::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    vx::ui::qt::centerOnScreen(this);
}

// The window waits, still painting, until the companion program has ended.
void PluginDialog::start(int button) {
    setEnabled(false);
    runPlugin(plug_idx[button], [] { QApplication::processEvents(QEventLoop::ExcludeUserInputEvents); });
    setEnabled(true);
    raise();
    activateWindow();
}

}  // namespace vx::postproc

int32_t runPluginLauncher() {
    const int found = findFile(Exe_dir, pluginExtension(), plug_idx);
    if (found == 0) return 0;
    vx::postproc::PluginDialog dlg(found);
    dlg.exec();
    return 1;
}
