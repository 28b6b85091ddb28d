// The controls of the configuration window and where they sit. The display groups are
// frames behind their combo and button, not their parents: switching a display off greys
// the frame and "Details" while its combo stays usable.

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "boards/board_image.h"
#include "boards/board_params.h"
#include "boards/windows/board_config_dialog.h"
#include "ui/qt/controls.h"

namespace vx::boards {

namespace {

using vx::ui::qt::makeButton;
using vx::ui::qt::makeGroup;
using vx::ui::qt::named;

struct EditRow {
    int32_t id;
    const char *edit, *label, *caption, *unit;
};

// The parameters of the left column, top to bottom.
constexpr EditRow kLeftEdits[] = {
    {ID_EDT_VT71_PNOM, "ID_EDT_VT71_PNOM", "ID_TXT_VT71_PNOM", "Nominal Power", "Wp"},
    {ID_EDT_VT71_TCA, "ID_EDT_VT71_TCA", "ID_TXT_VT71_TCA", "Data sampling time", "s"},
    {ID_EDT_VT71_TCM, "ID_EDT_VT71_TCM", "ID_TXT_VT71_TCM", "Mean sampling time", "s"},
    {ID_EDT_VT71_NTCA, "ID_EDT_VT71_NTCA", "ID_TXT_VT71_NTCA", "Decimation No.", ""},
    {ID_EDT_VT71_KI, "ID_EDT_VT71_KI", "ID_TXT_VT71_KI", "Ki coeff.", "Imp/kWh"},
    {ID_EDT_VT71_KCO2, "ID_EDT_VT71_KCO2", "ID_TXT_VT71_KCO2", "Kco2 coeff.", "kg/kWh"},
    {ID_EDT_VT71_KEUR, "ID_EDT_VT71_KEUR", "ID_TXT_VT71_KEUR", "Keuro coeff.", "euro/kWh"},
    {ID_EDT_VT71_MYADD, "ID_EDT_VT71_MYADD", "ID_TXT_VT71_MYADD", "VT Address", ""},
};

QLabel* label(QWidget* parent, const char* name, const char* text) {
    auto* l = new QLabel(QString::fromLatin1(text), parent);
    if (*name) l->setObjectName(QString::fromLatin1(name));
    return l;
}

}  // namespace

QComboBox* BoardConfigDialog::addCombo(const char* name, const ChoiceList& list) {
    auto* c = named(new QComboBox(this), name);
    for (int i = 0; i < list.count; ++i)
        c->addItem(vx::ui::qt::toQ(list[i]));
    connect(c, &QComboBox::activated, this, [this, c] { comboChosen(c); });
    return c;
}

void BoardConfigDialog::buildControls() {
    auto editFor = [this](int32_t id, const char* name) {
        auto* e = named(new QLineEdit(this), name);
        // Room for the widest value (the nominal power's seven digits) and the caret.
        e->setMinimumWidth(e->fontMetrics().horizontalAdvance(QStringLiteral("00000000")) + 12);
        const int index = parameterIndexOf(id);
        edits_[index] = e;
        connect(e, &QLineEdit::textEdited, this, [this, index] { parameterEdited(index); });
        return e;
    };

    // Left column: the board's numbers, the phone and the overall-efficiency alarm.
    auto* left = new QGridLayout;
    int row = 0;
    for (const EditRow& r : kLeftEdits) {
        left->addWidget(label(this, r.label, r.caption), row, 0);
        left->addWidget(editFor(r.id, r.edit), row, 1);
        if (r.id == ID_EDT_VT71_MYADD)
            left->addWidget(label(this, "ID_TXT_VT71_MYADD2", ""), row, 2);
        else
            left->addWidget(label(this, "", r.unit), row, 2);
        ++row;
    }
    left->addWidget(label(this, "ID_TXT_VT71_NTEL", "Phone No. for SMS"), row, 0);
    phone_ = named(new QLineEdit(this), "ID_EDT_VT71_NTEL");
    connect(phone_, &QLineEdit::textEdited, this, [this] { phoneEdited(); });
    left->addWidget(phone_, row++, 1, 1, 2);
    left->addWidget(label(this, "ID_TXT_VT71_ALAETAG", "Overall efficiency alarm"), row, 0);
    alaEtag_ = addCombo("ID_CMB_VT71_ALAETAG", Lista_allarme_etag);
    left->addWidget(alaEtag_, row++, 1, 1, 2);
    left->setRowStretch(row, 1);

    // Middle column: the power/energy protocol and the meteo station.
    QGroupBox* protoGroup = makeGroup(this, "ID_GRP_VT71_PROTO", "Power/energy data protocol");
    auto* proto = new QGridLayout(protoGroup);
    auto protoRow = [&](int r, QLabel* l, QWidget* w) {
        l->setParent(protoGroup);
        w->setParent(protoGroup);
        proto->addWidget(l, r, 0);
        proto->addWidget(w, r, 1);
    };
    source_ = addCombo("ID_CMB_VT71_SDATI", Lista_Sorgenti_dati);
    baud_ = addCombo("ID_CMB_VT71_BRATE", Lista_Baud_Rate);
    proto_ = addCombo("ID_CMB_VT71_PROTO", Lista_Protocolli);
    alaInv_ = addCombo("ID_CMB_VT71_ALAINV", Lista_allarme_inv);
    protoRow(0, label(this, "ID_TXT_1457", "Source"), source_);
    protoRow(1, label(this, "ID_TXT_VT71_BRATE", "Baud Rate"), baud_);
    protoRow(2, label(this, "ID_TXT_VT71_PROTO", "Protocol"), proto_);
    protoRow(3, label(this, "ID_TXT_VT71_NINV", "Number of inverters"),
             editFor(ID_EDT_VT71_NINV, "ID_EDT_VT71_NINV"));
    protoRow(4, label(this, "ID_TXT_VT71_ADDI", "Starting Address"),
             editFor(ID_EDT_VT71_ADDI, "ID_EDT_VT71_ADDI"));
    protoRow(5, label(this, "ID_TXT_VT71_ALAINV", "Single inverter alarm"), alaInv_);
    auxData_ =
        named(new QCheckBox(QStringLiteral("Aux wireless data    <---"), protoGroup), "ID_CHK_VT71_DATIAUX");
    connect(auxData_, &QCheckBox::clicked, this, [this] { auxDataClicked(); });
    QLineEdit* auxAddress = editFor(ID_EDT_VT71_ADDAUX, "ID_EDT_VT71_ADDAUX");
    auxAddress->setParent(protoGroup);
    proto->addWidget(auxData_, 6, 0);
    proto->addWidget(auxAddress, 6, 1);

    QGroupBox* meteoGroup = makeGroup(this, "ID_GRP_VT71_METEO", "Meteo Station");
    auto* meteo = new QGridLayout(meteoGroup);
    meteo_ = addCombo("ID_CMB_VT71_SMETEO", Lista_Sorgenti_datim);
    nodeAdd_ = addCombo("ID_CMB_VT71_NODEADD", Lista_nodeadd);
    QLabel* meteoLabel = label(meteoGroup, "ID_TXT_VT71_SMETEO", "Source");
    QLabel* nodeLabel = label(meteoGroup, "ID_TXT_VT71_NODEADD", "Station Address");
    meteo_->setParent(meteoGroup);
    nodeAdd_->setParent(meteoGroup);
    meteo->addWidget(meteoLabel, 0, 0);
    meteo->addWidget(meteo_, 0, 1);
    meteo->addWidget(nodeLabel, 1, 0);
    meteo->addWidget(nodeAdd_, 1, 1);
    alAux_ = named(new QCheckBox(QStringLiteral("Auxiliaries alarm"), this), "ID_CHK_VT71_ALAUX");
    connect(alAux_, &QCheckBox::clicked, this, [this] { optionBoxClicked(alAux_, EE_OPT_ALAUX); });

    auto* middle = new QVBoxLayout;
    middle->addWidget(protoGroup);
    middle->addWidget(meteoGroup);
    middle->addWidget(alAux_);
    middle->addStretch(1);

    // Right column: the four display groups, top to bottom 3, 2, 1, 0.
    auto* right = new QGridLayout;
    for (int k = 3; k >= 0; --k) {
        const int r = 3 - k;
        const std::string n = std::to_string(k);
        displayGroups_[k] = makeGroup(this, ("ID_GRP_VT71_" + n).c_str(), "");
        displays_[k] = named(new QComboBox(this), ("ID_CMB_VT71_" + n).c_str());
        for (int i = 0; i < Lista_Grandezze_Display.count; ++i)
            displays_[k]->addItem(vx::ui::qt::toQ(Lista_Grandezze_Display[i]));
        connect(displays_[k], &QComboBox::activated, this, [this, k] { displayChosen(k); });
        details_[k] = makeButton(this, ("ID_BTN_VT71_" + n).c_str(), "Details");
        connect(details_[k], &QPushButton::clicked, this, [this, k] { detailsClicked(k); });
        auto* inside = new QHBoxLayout;
        inside->setContentsMargins(10, 24, 10, 8);
        inside->addWidget(displays_[k], 1);
        inside->addWidget(details_[k]);
        right->addWidget(displayGroups_[k], r, 0);
        right->addLayout(inside, r, 0);
    }
    setDisplayCaptions();
    autoOff_ = named(new QCheckBox(QStringLiteral("Display Auto-OFF for Pac=0"), this), "ID_CHK_VT71_AUTOS");
    energy100_ = named(new QCheckBox(QStringLiteral("Energy = Energy/100"), this), "ID_CHK_VT71_D100");
    quaterna_ = named(new QCheckBox(QStringLiteral("7...4"), this), "ID_CHK_VT71_7654");
    connect(autoOff_, &QCheckBox::clicked, this, [this] { optionBoxClicked(autoOff_, EE_OPT_AUTOOFF); });
    connect(energy100_, &QCheckBox::clicked, this,
            [this] { optionBoxClicked(energy100_, EE_OPT_ENERGY100); });
    connect(quaterna_, &QCheckBox::clicked, this, [this] { quaternaClicked(); });
    right->addWidget(autoOff_, 4, 0);
    right->addWidget(energy100_, 5, 0);
    right->addWidget(quaterna_, 6, 0);
    right->setRowStretch(7, 1);

    auto* columns = new QHBoxLayout;
    columns->addLayout(left);
    columns->addLayout(middle);
    columns->addLayout(right);

    // Bottom: remote commands, the board's state, the buttons.
    QGroupBox* remote = makeGroup(this, "ID_GRP_VT71_REMOTE", "Remote commands");
    auto* remoteRow = new QHBoxLayout(remote);
    QPushButton* p1 = makeButton(remote, "ID_BTN_VT71_P1", "P1");
    QPushButton* p2 = makeButton(remote, "ID_BTN_VT71_P2", "P2");
    remoteRow->addWidget(p1);
    remoteRow->addWidget(p2);
    connect(p1, &QPushButton::clicked, this, [this] { remoteClicked(1); });
    connect(p2, &QPushButton::clicked, this, [this] { remoteClicked(2); });
    state_ = label(this, "ID_TXT_VT71_STATO", "");
    QFont emphasised = state_->font();
    emphasised.setBold(true);
    state_->setFont(emphasised);
    auto* stateRow = new QHBoxLayout;
    stateRow->addWidget(remote);
    stateRow->addWidget(label(this, "ID_TXT_1467", "Board status:"));
    stateRow->addWidget(state_);
    stateRow->addStretch(1);

    struct Button {
        const char *name, *text;
        void (BoardConfigDialog::*slot)();
    };
    const Button buttons[] = {
        {"ID_BTN_VT71_FW", "Firmware Updating", &BoardConfigDialog::firmwareClicked},
        {"ID_BTN_VT71_RESET", "Reset", &BoardConfigDialog::resetClicked},
        {"ID_BTN_VT71_DEFAULT", "Default", &BoardConfigDialog::defaultClicked},
        {"ID_BTN_VT71_SAVE", "Save", &BoardConfigDialog::saveClicked},
        {"ID_BTN_VT71_FREAD", "File Read", &BoardConfigDialog::fileReadClicked},
        {"ID_BTN_VT71_FSAVE", "File Save", &BoardConfigDialog::fileSaveClicked},
        {"ID_BTN_VT71_WRITE", "Write", &BoardConfigDialog::writeClicked},
        {"ID_BTN_VT71_READ", "Read", &BoardConfigDialog::readClicked},
        {"ID_BTN_VT71_ESC", "Esc", &BoardConfigDialog::reject},
    };
    auto* buttonRow = new QHBoxLayout;
    for (const Button& b : buttons) {
        QPushButton* button = makeButton(this, b.name, b.text);
        connect(button, &QPushButton::clicked, this, b.slot);
        buttonRow->addWidget(button);
    }

    auto* all = new QVBoxLayout(this);
    all->addLayout(columns);
    all->addLayout(stateRow);
    all->addLayout(buttonRow);
}

}  // namespace vx::boards
