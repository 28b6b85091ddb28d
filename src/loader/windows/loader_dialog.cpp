#include "loader/windows/loader_dialog.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "loader/eeprom_compare.h"
#include "loader/eeprom_dump.h"
#include "loader/firmware_file.h"
#include "loader/firmware_upload.h"
#include "state/flags.h"
#include "ui/qt/controls.h"

namespace vx::loader {

LoaderDialog::LoaderDialog(QWidget* owner) : QDialog(owner) {
    using namespace vx::ui::qt;
    setObjectName(QStringLiteral("DlgLoader"));
    setWindowTitle(QStringLiteral("Loader"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowIcon(QApplication::windowIcon());

    auto* title = named(new QLabel(QStringLiteral("Firmware Updating"), this), "ID_TXT_LDAGGFW");
    QFont emphasised = title->font();
    emphasised.setBold(true);
    emphasised.setPointSizeF(emphasised.pointSizeF() * 1.4);
    title->setFont(emphasised);
    title->setAlignment(Qt::AlignCenter);
    board_ = named(new QLabel(this), "ID_TXT_LDSCHEDA");
    version_ = named(new QLabel(this), "ID_TXT_LDFW");
    QPushButton* open = makeButton(this, "ID_BTN_LDOPEN", "Select files *.fw");
    run_ = makeButton(this, "ID_BTN_LDRUN", "Update now");
    QPushButton* exit = makeButton(this, "ID_BTN_LDEXIT", "Exit");
    run_->setEnabled(false);

    auto* grid = new QGridLayout;
    grid->addWidget(named(new QLabel(QStringLiteral("Board type:"), this), "ID_TXT_LDSCHEDADIDA"), 0, 0);
    grid->addWidget(board_, 0, 1);
    grid->addWidget(named(new QLabel(QStringLiteral("FW version:"), this), "ID_TXT_LDFWDIDA"), 1, 0);
    grid->addWidget(version_, 1, 1);
    grid->setColumnStretch(1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(open);
    buttons->addWidget(run_);
    buttons->addStretch();
    buttons->addWidget(exit);
    auto* col = new QVBoxLayout(this);
    col->addWidget(title);
    col->addLayout(grid);
    col->addLayout(buttons);

    if (Flag.QM43BOOT == 1) {
        board_->setText(QStringLiteral("QM43"));
        version_->setText(toQ(Flag.bootvers));
    }
    connect(open, &QPushButton::clicked, this, [this] { selectFile(); });
    connect(run_, &QPushButton::clicked, this, [this] { updateNow(); });
    connect(exit, &QPushButton::clicked, this, [this] { done(1); });
}

void LoaderDialog::selectFile() {
    const int r = selectFirmwareFile(this);
    if (r < 0) return;  // no file chosen: nothing changes
    if (r == 1) {
        run_->setEnabled(true);
        board_->setText(QString::fromLatin1(boardTypeName(FW.scheda)));
        version_->setText(QString::fromLatin1(FW.ver));
        return;
    }
    run_->setEnabled(false);
    board_->clear();
    version_->clear();
}

void LoaderDialog::updateNow() {
    if (updateFirmware(this) == 2) done(2);
}

void LoaderDialog::keyPressEvent(QKeyEvent* e) {
    const bool alt = (e->modifiers() & Qt::AltModifier) && !(e->modifiers() & Qt::ControlModifier);
    if (alt && e->key() == Qt::Key_T) {
        askFastInterval(this);
        return;
    }
    if (alt && e->key() == Qt::Key_E) {
        downloadEeprom(this);
        return;
    }
    if (alt && e->key() == Qt::Key_C) {
        verifyDump(this);
        return;
    }
    if (e->key() == Qt::Key_Escape) return done(1);
    QDialog::keyPressEvent(e);
}

void LoaderDialog::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (parentWidget())
        vx::ui::qt::centerOnParent(this, parentWidget());
    else
        vx::ui::qt::centerOnScreen(this);
}

}  // namespace vx::loader

int run_loader(QWidget* owner) {
    vx::loader::LoaderDialog dlg(owner);
    return dlg.exec();
}
