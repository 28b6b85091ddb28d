#include "boards/windows/board_config_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "boards/board_commands.h"
#include "boards/board_image.h"
#include "boards/board_io.h"
#include "boards/board_params.h"
#include "boards/display_board.h"
#include "boards/display_setup.h"
#include "boards/phone_number.h"
#include "boards/vt1_file.h"
#include "boards/windows/board_text_dialog.h"
#include "state/flags.h"
#include "ui/qt/controls.h"

namespace vx::boards {

namespace {

using vx::ui::qt::fromQ;
using vx::ui::qt::toQ;

// What the interface board does not have.
constexpr const char* kNotOnNod85[] = {
    "ID_EDT_VT71_TCM",     "ID_TXT_VT71_TCM",    "ID_EDT_VT71_NTCA",    "ID_TXT_VT71_NTCA",
    "ID_EDT_VT71_KCO2",    "ID_TXT_VT71_KCO2",   "ID_EDT_VT71_KEUR",    "ID_TXT_VT71_KEUR",
    "ID_EDT_VT71_NTEL",    "ID_TXT_VT71_NTEL",   "ID_CMB_VT71_ALAETAG", "ID_TXT_VT71_ALAETAG",
    "ID_BTN_VT71_FW",      "ID_GRP_VT71_METEO",  "ID_CHK_VT71_ALAUX",   "ID_GRP_VT71_3",
    "ID_CMB_VT71_3",       "ID_BTN_VT71_3",      "ID_GRP_VT71_2",       "ID_CMB_VT71_2",
    "ID_BTN_VT71_2",       "ID_GRP_VT71_1",      "ID_CMB_VT71_1",       "ID_BTN_VT71_1",
    "ID_GRP_VT71_0",       "ID_CMB_VT71_0",      "ID_BTN_VT71_0",       "ID_CHK_VT71_D100",
    "ID_CHK_VT71_DATIAUX", "ID_EDT_VT71_ADDAUX", "ID_CHK_VT71_7654",
};
// The checklist only shows: no board commands, no file, no option boxes.
constexpr const char* kNotInChecklist[] = {
    "ID_CHK_VT71_ALAUX",  "ID_CHK_VT71_AUTOS",   "ID_CHK_VT71_D100", "ID_CHK_VT71_DATIAUX",
    "ID_EDT_VT71_ADDAUX", "ID_GRP_VT71_REMOTE",  "ID_BTN_VT71_P1",   "ID_BTN_VT71_P2",
    "ID_BTN_VT71_RESET",  "ID_BTN_VT71_DEFAULT", "ID_BTN_VT71_SAVE", "ID_BTN_VT71_FREAD",
    "ID_BTN_VT71_FSAVE",  "ID_BTN_VT71_WRITE",   "ID_BTN_VT71_READ",
};

constexpr int kAuxAddressOn = 250;  // the aux node address a ticked box starts from

QColor stateColour(uint8_t state) {
    switch (state & 0x0F) {
        case 0:
            return QColor(0, 255, 0);
        case 2:
            return QColor(0, 127, 0);
        case 5:
            return QColor(200, 0, 0);
        case 6:
            return QColor(255, 192, 0);
        case 7:
            return QColor(255, 0, 0);
        case 8:
            return QColor(127, 127, 0);
        default:
            return QColor(0, 0, 0);
    }
}

std::string titleFor(int32_t slave) {
    switch (slave) {
        case SLAVE_VT75H:
            return vx::ui::format("%s/VT75h", "Parameters setting VT75a");
        case SLAVE_VT73H:
            return vx::ui::format("%s/VT73h", "Parameters setting VT71a");
        case SLAVE_VT71H:
            return vx::ui::format("%s/VT71h", "Parameters setting VT71a");
        default:
            return vx::ui::format("%s/-", "Parameters setting VT71a");
    }
}

void select(QComboBox* c, unsigned index) {
    c->setCurrentIndex(int(index) < c->count() ? int(index) : -1);  // a value with no entry: none
}

void enable(QWidget* w, bool on) {
    w->setEnabled(on);
}

}  // namespace

BoardConfigDialog::BoardConfigDialog(Mode mode, BoardConfigLinks links, QWidget* owner)
    : QDialog(owner), mode_(mode), links_(std::move(links)) {
    setObjectName(mode == Mode::Configuration ? QStringLiteral("DlgVT71cfg") : QStringLiteral("DlgVT71chk"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setStyleSheet(QStringLiteral("QGroupBox::title { color: #0000FF; }"));
    buildControls();
}

void BoardConfigDialog::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    vx::ui::qt::centerOnScreen(this);
}

bool BoardConfigDialog::initialise() {
    Flag.quaterna = 0;
    quaterna_->setChecked(false);
    if (mode_ == Mode::Checklist) {
        setWindowTitle(QStringLiteral("Valori parametri di configurazione VT71a per checklist"));
        findChild<QPushButton*>(QStringLiteral("ID_BTN_VT71_FW"))
            ->setText(QStringLiteral("Versione testuale"));
        if (!showReadFileResult(read_VT71a_dati(parentWidget()))) return false;
    } else {
        auto* address = findChild<QLabel*>(QStringLiteral("ID_TXT_VT71_MYADD"));
        if (Flag.NOD85 == 1) {
            setWindowTitle(QStringLiteral("Parameters setting NOD85"));
            address->setText(QStringLiteral("Dest / My Addresses"));
            findChild<QLabel*>(QStringLiteral("ID_TXT_VT71_MYADD2"))->setText(toQ(ownAddressText()));
        } else {
            setWindowTitle(toQ(titleFor(Slave_board)));
        }
        initParcfg();
        if (loadParcfg() != 0) {
            vx::ui::message(parentWidget(), boardCommError(), "COM Error", vx::ui::Icon::Error);
            return false;
        }
    }
    fill();
    disable_cntr(this, "ID_BTN_VT71_WRITE");
    disable_cntr(this, "ID_BTN_VT71_SAVE");
    return true;
}

// Showing the image.

void BoardConfigDialog::fill() {
    for (int i = 1; i < PARCFG_N; ++i) {
        edits_[i]->setText(toQ(parameterText(i)));
        paintError(edits_[i], Parcfg[i].val_err == 1);
    }
    const ee_ram& ee = EE.ram;
    for (int k = 0; k < 4; ++k) {
        const unsigned q = ee.Display_gra[Flag.quaterna + k] & 0x0F;
        select(displays_[k], q);
        enable(displayGroups_[k], q != 0);
        enable(details_[k], q != 0);
    }
    select(source_, fieldGet(ee.Option, EE_OPT_SOURCE));
    applySource(int(fieldGet(ee.Option, EE_OPT_SOURCE)));
    select(baud_, fieldGet(ee.ComReg, EE_COM_BAUD));
    select(proto_, fieldGet(ee.ComReg, EE_COM_PROTO));
    select(alaInv_, fieldGet(ee.Option, EE_OPT_ALAINV));
    const unsigned meteo = fieldGet(ee.Option, EE_OPT_SMETEO);
    select(meteo_, meteo);
    enable(nodeAdd_, meteo != 0);
    enable(findChild<QLabel*>(QStringLiteral("ID_TXT_VT71_NODEADD")), meteo != 0);
    select(nodeAdd_, fieldGet(ee.Option, EE_OPT_NODEADD));
    select(alaEtag_, fieldGet(ee.Option, EE_OPT_ALAETAG));
    setDisplayCaptions();
    char number[17];
    unzip_Ntel(number);
    phone_->setText(toQ(number));
    alAux_->setChecked(ee.Option & EE_OPT_ALAUX);
    autoOff_->setChecked(ee.Option & EE_OPT_AUTOOFF);
    energy100_->setChecked(ee.Option & EE_OPT_ENERGY100);
    const bool aux = fieldGet(ee.ComReg, EE_COM_AUXADDR) != 0;
    auxData_->setChecked(aux);
    enable(edits_[parameterIndexOf(ID_EDT_VT71_ADDAUX)], aux);
    showState();
    applyRestrictions();
    enableWrite();  // the edits were filled again: that is a change to write
}

void BoardConfigDialog::applySource(int source) {
    const SourceControls on = enable_cntr_sdati(source);
    const struct {
        const char *control, *label;
        bool on;
    } pairs[] = {
        {"ID_CMB_VT71_BRATE", "ID_TXT_VT71_BRATE", on.baudRate},
        {"ID_CMB_VT71_PROTO", "ID_TXT_VT71_PROTO", on.protocol},
        {"ID_EDT_VT71_NINV", "ID_TXT_VT71_NINV", on.inverters},
        {"ID_EDT_VT71_ADDI", "ID_TXT_VT71_ADDI", on.startAddress},
        {"ID_CMB_VT71_ALAINV", "ID_TXT_VT71_ALAINV", on.inverterAlarm},
    };
    for (const auto& p : pairs) {
        for (const char* name : {p.control, p.label})
            p.on ? enable_cntr(this, name) : disable_cntr(this, name);
    }
}

void BoardConfigDialog::applyRestrictions() {
    if (mode_ == Mode::Checklist) {
        for (const char* name : kNotInChecklist)
            disable_cntr(this, name);
    } else if (Flag.NOD85 == 1) {
        for (const char* name : kNotOnNod85)
            disable_cntr(this, name);
    }
}

void BoardConfigDialog::setDisplayCaptions() {
    static const char* const low[4] = {"Display 0 (RS485)", "Display 1  (LAN)", "Display 2 (GSM)",
                                       "Display 3 (RS232)"};
    static const char* const high[4] = {"Display 4", "Display 5", "Display 6", "Display 7"};
    for (int k = 0; k < 4; ++k) {
        const char* text = Flag.quaterna == 4 ? high[k] : low[k];
        if (k == 1 && Flag.quaterna != 4 && mode_ == Mode::Checklist) text = "Display 1 (WEB)";
        displayGroups_[k]->setTitle(QString::fromLatin1(text));
    }
}

void BoardConfigDialog::showState() {
    state_->setText(QString::fromLatin1(stateName(Stato_OP)));
    state_->setStyleSheet(QStringLiteral("color: %1;").arg(stateColour(Stato_OP).name()));
}

void BoardConfigDialog::paintError(QLineEdit* edit, bool error) {
    edit->setStyleSheet(error ? QStringLiteral("QLineEdit { background-color: #FF0000; }") : QString());
    edit->setProperty("valErr", error);
}

void BoardConfigDialog::enableWrite() {
    if (mode_ == Mode::Configuration) enable_cntr(this, "ID_BTN_VT71_WRITE");  // the checklist writes nothing
}

// Edits, combos and boxes.

void BoardConfigDialog::parameterEdited(int index) {
    QLineEdit* edit = edits_[index];
    std::string text = fromQ(edit->text());
    const size_t typed = text.size();
    const int passed = editParameter(index, text);
    if (text.size() != typed) {
        edit->setText(toQ(text));
        edit->setCursorPosition(int(edit->text().size()));
    }
    paintError(edit, Parcfg[index].val_err == 1);
    afterEdit(passed == 1);
}

void BoardConfigDialog::phoneEdited() {
    std::string text = fromQ(phone_->text());
    char number[64] = {};
    text.copy(number, sizeof number - 1);
    acceptPhoneText(number);
    if (text != number) {
        phone_->setText(toQ(number));
        phone_->setCursorPosition(int(phone_->text().size()));
    }
    zip_Ntel(number);
    afterEdit(true);
}

void BoardConfigDialog::afterEdit(bool passed) {
    if (passed) return enableWrite();
    disable_cntr(this, "ID_BTN_VT71_WRITE");
    disable_cntr(this, "ID_BTN_VT71_SAVE");
}

void BoardConfigDialog::comboChosen(QComboBox* combo) {
    const std::string text = fromQ(combo->currentText());
    if (combo == source_) {
        if (upd_Option_sorg(this, text) == 0 && combo->currentIndex() != 0) combo->setCurrentIndex(0);
        applySource(int(fieldGet(EE.ram.Option, EE_OPT_SOURCE)));
    } else if (combo == meteo_) {
        const bool on = upd_Option_sorgm(text) != 0;
        enable(nodeAdd_, on);
        enable(findChild<QLabel*>(QStringLiteral("ID_TXT_VT71_NODEADD")), on);
    } else if (combo == baud_) {
        upd_ComReg_BaudRate(text);
    } else if (combo == proto_) {
        upd_ComReg_Proto(text);
    } else if (combo == alaInv_) {
        upd_Option_alainv(text);
    } else if (combo == nodeAdd_) {
        upd_Option_nodeadd(text);
    } else if (combo == alaEtag_) {
        upd_Option_alaetag(text);
    }
    enableWrite();
}

void BoardConfigDialog::displayChosen(int k) {
    const bool on = upd_Display_gra(fromQ(displays_[k]->currentText()), Flag.quaterna + k) != 0;
    enable(displayGroups_[k], on);
    enable(details_[k], on);
    enableWrite();
}

void BoardConfigDialog::optionBoxClicked(QCheckBox* box, uint16_t bit) {
    EE.ram.Option = uint16_t(box->isChecked() ? EE.ram.Option | bit : EE.ram.Option & ~bit);
    enableWrite();
}

void BoardConfigDialog::auxDataClicked() {
    EE.ram.Option &= uint16_t(~EE_OPT_AUXWIRELESS);
    const bool on = auxData_->isChecked();
    unsigned address = fieldGet(EE.ram.ComReg, EE_COM_AUXADDR);
    if (!on)
        address = 0;
    else if (address == 0)
        address = kAuxAddressOn;
    EE.ram.ComReg = fieldSet(EE.ram.ComReg, EE_COM_AUXADDR, address);
    const int index = parameterIndexOf(ID_EDT_VT71_ADDAUX);
    Parcfg[index].val = float(address);  // the edit shows a valid address again
    testValue(index);
    edits_[index]->setText(QString::number(address));
    paintError(edits_[index], Parcfg[index].val_err == 1);
    enable(edits_[index], on);
    enableWrite();
}

void BoardConfigDialog::quaternaClicked() {
    Flag.quaterna = quaterna_->isChecked() ? 4 : 0;
    fill();
}

// Buttons.

void BoardConfigDialog::comError() {
    vx::ui::message(this, boardCommError(), "COM Error", vx::ui::Icon::Error);
}

void BoardConfigDialog::readClicked() {
    disable_cntr(this, "ID_BTN_VT71_READ");
    const bool ok = loadParcfg() == 0;
    enable_cntr(this, "ID_BTN_VT71_READ");
    ok ? fill() : comError();
}

void BoardConfigDialog::writeClicked() {
    if (write_to_VT71a() != 0) return comError();
    setUpDisplayBoards(this, energy100_->isChecked());
    disable_cntr(this, "ID_BTN_VT71_WRITE");
    enable_cntr(this, "ID_BTN_VT71_SAVE");
}

void BoardConfigDialog::saveClicked() {
    if (vx::ui::message(this, saveQuestion(), "Question", vx::ui::Icon::Question, vx::ui::Buttons::YesNo) !=
        vx::ui::Answer::Yes)
        return;
    std::string error;
    if (saveBoardImage(&error))
        disable_cntr(this, "ID_BTN_VT71_SAVE");
    else
        vx::ui::message(this, error, "COM Error", vx::ui::Icon::Error);
}

void BoardConfigDialog::defaultClicked() {
    if (vx::ui::message(this, defaultsQuestion(), "Question", vx::ui::Icon::Question,
                        vx::ui::Buttons::YesNo) != vx::ui::Answer::Yes)
        return;
    std::string error;
    if (restoreBoardDefaults(this, &error))
        fill();
    else
        vx::ui::message(this, error, "COM Error", vx::ui::Icon::Error);
}

void BoardConfigDialog::resetClicked() {
    std::string error;
    if (resetBoard(this, &error))
        fill();
    else
        vx::ui::message(this, error, "COM Error", vx::ui::Icon::Error);
}

void BoardConfigDialog::remoteClicked(int which) {
    const char* name = which == 2 ? "ID_BTN_VT71_P2" : "ID_BTN_VT71_P1";
    disable_cntr(this, name);
    sendRemoteCommand(which);
    enable_cntr(this, name);
    readClicked();
}

void BoardConfigDialog::firmwareClicked() {
    if (mode_ == Mode::Checklist) return DlgVT71txt(this);
    if (links_.firmwareLoader) return links_.firmwareLoader(this);
    vx::ui::message(this, "The firmware loader is not available yet in this version.", "Info",
                    vx::ui::Icon::Information);
}

void BoardConfigDialog::detailsClicked(int k) {
    CodeD = Flag.quaterna + k;
    if (links_.displayDetails) return links_.displayDetails(this, CodeD);
    vx::ui::message(this, "The display board window is not available yet in this version.", "Info",
                    vx::ui::Icon::Information);
}

void BoardConfigDialog::fileSaveClicked() {
    if (save_VT71a_dati(this) == 0)
        vx::ui::message(this, "No data saved in the output file !", "Warning", vx::ui::Icon::Warning);
}

void BoardConfigDialog::fileReadClicked() {
    if (showReadFileResult(read_VT71a_dati(this))) fill();
}

bool BoardConfigDialog::showReadFileResult(int result) {
    if (result == VT1_LOADED) return true;
    vx::ui::message(isVisible() ? this : parentWidget(),
                    result == VT1_NOT_VALID ? "File not valid !" : "File not found !", "Warning",
                    vx::ui::Icon::Warning);
    return false;
}

void DlgVT71cfg(QWidget* owner, const BoardConfigLinks& links) {
    BoardConfigDialog dlg(BoardConfigDialog::Mode::Configuration, links, owner);
    if (dlg.initialise()) dlg.exec();
}

void DlgVT71chk(QWidget* owner, const BoardConfigLinks& links) {
    BoardConfigDialog dlg(BoardConfigDialog::Mode::Checklist, links, owner);
    if (dlg.initialise()) dlg.exec();
}

}  // namespace vx::boards
