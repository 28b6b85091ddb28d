#include "boards/windows/display_board_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "boards/windows/tuning_dialog.h"
#include "link/clock.h"
#include "state/flags.h"
#include "ui/qt/controls.h"

namespace vx::boards {
namespace {

using vx::ui::Answer;
using vx::ui::Buttons;
using vx::ui::Icon;
using vx::ui::qt::fromQ;
using vx::ui::qt::named;
using vx::ui::qt::toQ;

constexpr QRgb kErrorBackground = 0xFF0000;
constexpr const char* kComError = "Communication error with I2C Slave Board !";

QLabel* label(QWidget* parent, const char* text, const char* name = nullptr) {
    auto* l = new QLabel(QString::fromLatin1(text), parent);
    if (name) l->setObjectName(QString::fromLatin1(name));
    return l;
}

void fillCombo(QComboBox* combo, const ChoiceList& list) {
    for (int i = 0; i < list.count; ++i)
        combo->addItem(toQ(list[i]));
}

// The Alt letter of a key press, upper case; 0 for anything else.
char altLetter(const QKeyEvent* e) {
    if (!(e->modifiers() & Qt::AltModifier) || (e->modifiers() & Qt::ControlModifier)) return 0;
    if (e->key() < Qt::Key_A || e->key() > Qt::Key_Z) return 0;
    return char('A' + (e->key() - Qt::Key_A));
}

}  // namespace

DisplayBoardDialog::DisplayBoardDialog(QWidget* owner) : QDialog(owner) {
    using namespace vx::ui::qt;
    setObjectName(QStringLiteral("DlgVT71hcfg"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setStyleSheet(QStringLiteral("QGroupBox::title { color: #0000FF; }"));

    static const char* const kEditNames[PARCFGH_N] = {"ID_EDT_VT71H_NDIGIT", "ID_EDT_VT71H_DPOINT",
                                                      "ID_EDT_VT71H_DLUX", "ID_EDT_VT71H_SCAN"};
    for (int i = 0; i < PARCFGH_N; ++i) {
        edits_[size_t(i)] = named(new QLineEdit(this), kEditNames[i]);
        edits_[size_t(i)]->setAlignment(Qt::AlignRight);
    }
    baud_ = named(new QComboBox(this), "ID_CMB_VT71H_BRATE");
    titleColour_ = named(new QComboBox(this), "ID_CMB_VT71H_COLDID");
    numberColour_ = named(new QComboBox(this), "ID_CMB_VT71H_COLGRA");
    mode_ = named(new QComboBox(this), "ID_CMB_VT71H_MODE");
    fillCombo(baud_, Lista_Baud_Rate);
    fillCombo(titleColour_, Lista_Colore_Grandezza);
    fillCombo(numberColour_, Lista_Colore_Grandezza);
    fillCombo(mode_, Lista_Modi_Operativi);
    displayOff_ = named(new QCheckBox(QStringLiteral("Display OFF"), this), "ID_CHK_VT71H_DOFF");
    autoBright_ = named(new QCheckBox(QStringLiteral("Auto Bright"), this), "ID_CHK_VT71H_AUTOREG");
    blinking_ = named(new QCheckBox(QStringLiteral("Blinking"), this), "ID_CHK_VT71H_BLINK");
    nightOff_ = named(new QCheckBox(QStringLiteral("Night OFF"), this), "ID_CHK_VT71H_NIGHTOFF");
    scanOff_ = named(new QCheckBox(QStringLiteral("OFF"), this), "ID_CHK_VT71H_SCAN");

    baudLabel_ = label(this, "Baud Rate");
    label1503_ = label(this, "Digit number", "1503");
    digitRange_ = label(this, "(1...6)");
    titleColourLabel_ = label(this, "Title color", "1523");
    modeLabel_ = label(this, "Mode");
    scanLabel_ = label(this, "Scan", "1526");
    scanUnit_ = label(this, "s");

    auto* grid = new QGridLayout;
    grid->addWidget(baudLabel_, 0, 0);
    grid->addWidget(baud_, 0, 1, 1, 2);
    grid->addWidget(label1503_, 1, 0);
    grid->addWidget(edits_[0], 1, 1);
    grid->addWidget(digitRange_, 1, 2);
    grid->addWidget(numberColour_, 1, 1, 1, 2);  // in the digit edit's place on a VT75h
    grid->addWidget(label(this, "Decimal point position"), 2, 0);
    grid->addWidget(edits_[1], 2, 1);
    grid->addWidget(label(this, "(0...6)"), 2, 2);
    grid->addWidget(label(this, "Display Brightness"), 3, 0);
    grid->addWidget(edits_[2], 3, 1);
    grid->addWidget(label(this, "(0...255)"), 3, 2);
    grid->addWidget(titleColourLabel_, 4, 0);
    grid->addWidget(titleColour_, 4, 1, 1, 2);
    grid->addWidget(modeLabel_, 5, 0);
    grid->addWidget(mode_, 5, 1, 1, 2);
    grid->addWidget(scanLabel_, 6, 0);
    grid->addWidget(edits_[3], 6, 1);
    grid->addWidget(scanUnit_, 6, 2);
    grid->addWidget(scanOff_, 6, 3);
    grid->addWidget(displayOff_, 0, 4);
    grid->addWidget(autoBright_, 1, 4);
    grid->addWidget(blinking_, 2, 4);
    grid->addWidget(nightOff_, 3, 4);

    QPushButton* readButton = makeButton(this, "ID_BTN_VT71H_READ", "Read");
    QPushButton* writeButton = makeButton(this, "ID_BTN_VT71H_WRITE", "Write");
    QPushButton* saveButton = makeButton(this, "ID_BTN_VT71H_SAVE", "Save");
    QPushButton* defaultButton = makeButton(this, "ID_BTN_VT71H_DEFAULT", "Default");
    QPushButton* resetButton = makeButton(this, "ID_BTN_VT71H_RESET", "Reset");
    QPushButton* esc = makeButton(this, "ID_BTN_VT71H_ESC", "Esc");
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {readButton, writeButton, saveButton, defaultButton, resetButton, esc})
        buttons->addWidget(b);
    auto* col = new QVBoxLayout(this);
    col->addLayout(grid);
    col->addLayout(buttons);

    for (int i = 0; i < PARCFGH_N; ++i)
        connect(edits_[size_t(i)], &QLineEdit::textChanged, this, [this, i] { edited(i); });
    for (QComboBox* c : {baud_, titleColour_, numberColour_, mode_})
        connect(c, &QComboBox::currentIndexChanged, this, [this, c] { comboChanged(c); });
    const std::pair<QCheckBox*, DisplayCheck> checks[] = {{displayOff_, DisplayCheck::DisplayOff},
                                                          {autoBright_, DisplayCheck::AutoBright},
                                                          {blinking_, DisplayCheck::Blinking},
                                                          {nightOff_, DisplayCheck::NightOff},
                                                          {scanOff_, DisplayCheck::ScanOff}};
    for (const auto& check : checks)
        connect(check.first, &QCheckBox::clicked, this,
                [this, which = check.second](bool on) { checkClicked(which, on); });
    connect(readButton, &QPushButton::clicked, this, [this] { read(); });
    connect(writeButton, &QPushButton::clicked, this, [this] { write(); });
    connect(saveButton, &QPushButton::clicked, this, [this] { save(); });
    connect(defaultButton, &QPushButton::clicked, this, [this] { restoreDefaults(); });
    connect(resetButton, &QPushButton::clicked, this, [this] { reset(); });
    connect(esc, &QPushButton::clicked, this, [this] { reject(); });
    // The Alt service keys reach the window whichever control has the focus.
    for (QWidget* w : findChildren<QWidget*>())
        w->installEventFilter(this);
}

bool DisplayBoardDialog::load() {
    QWidget* owner = parentWidget();
    uint8_t version = 0;
    if (readDisplayVersion(CodeD, &version)) version = 0;
    if (!displayFound(version)) {
        vx::ui::message(owner, "I2C Slave Board not found !", "COM Error", Icon::Error);
        return false;
    }
    const DisplayLayout l = displayLayout(Slave_board, CodeD, version, Flag.QM42 != 0);
    setWindowTitle(toQ(l.title));
    edits_[0]->setVisible(l.digitEdit);
    digitRange_->setVisible(l.digitEdit);
    baud_->setVisible(l.baudRate);
    baudLabel_->setVisible(l.baudRate);
    for (QWidget* w : std::initializer_list<QWidget*>{scanLabel_, edits_[3], scanOff_, scanUnit_})
        w->setVisible(l.scan);
    modeLabel_->setVisible(l.mode);
    mode_->setVisible(l.mode);
    titleColourLabel_->setVisible(l.colours);
    titleColour_->setVisible(l.colours);
    numberColour_->setVisible(l.colours);
    nightOff_->setVisible(l.nightOff);
    label1503_->setText(toQ(l.label1503));

    initParcfgh();
    if (loadParcfgh(CodeD)) {
        vx::ui::message(owner, kComError, "COM Error", Icon::Error);
        return false;
    }
    fill();
    disable_cntr(this, "ID_BTN_VT71H_WRITE");
    disable_cntr(this, "ID_BTN_VT71H_SAVE");
    return true;
}

void DisplayBoardDialog::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    vx::ui::qt::centerOnScreen(this);
}

void DisplayBoardDialog::fill() {
    const DisplayForm f = print_VT71h(CodeD);
    filling_ = true;  // the combos and boxes take the record as it is
    // A refilled edit counts as an edit change (the one with the focus is checked again).
    edits_[0]->setText(toQ(f.ndigit));
    edits_[1]->setText(toQ(f.dpoint));
    edits_[2]->setText(toQ(f.dlux));
    edits_[3]->setText(toQ(f.scan));
    baud_->setCurrentIndex(f.baud);
    titleColour_->setCurrentIndex(f.titleColor);
    numberColour_->setCurrentIndex(f.numberColor);
    mode_->setCurrentIndex(f.mode);
    displayOff_->setChecked(f.displayOff);
    autoBright_->setChecked(f.autoBright);
    blinking_->setChecked(f.blinking);
    nightOff_->setChecked(f.nightOff);
    scanOff_->setChecked(f.scanOff);
    filling_ = false;
    for (QWidget* w : std::initializer_list<QWidget*>{edits_[3], scanLabel_, scanUnit_})
        w->setEnabled(f.scanEditEnabled);
    paintErrors();
}

void DisplayBoardDialog::paintErrors() {
    for (int i = 0; i < PARCFGH_N; ++i) {
        QLineEdit* e = edits_[size_t(i)];
        QPalette pal = e->palette();
        pal.setColor(QPalette::Base,
                     Parcfgh[i].val_err ? QColor(kErrorBackground) : palette().color(QPalette::Base));
        e->setPalette(pal);
    }
}

void DisplayBoardDialog::edited(int i) {
    QLineEdit* e = edits_[size_t(i)];
    if (e != focusWidget()) return;  // only the edit the user is in
    std::string text = fromQ(e->text());
    const int ok = editParameterh(i, text, CodeD);
    if (toQ(text) != e->text()) {  // cut to the entry's width, caret at the end
        const QSignalBlocker quiet(e);
        e->setText(toQ(text));
        e->setCursorPosition(int(e->text().size()));
    }
    paintErrors();
    if (ok) {
        enable_cntr(this, "ID_BTN_VT71H_WRITE");
    } else {
        disable_cntr(this, "ID_BTN_VT71H_WRITE");
        disable_cntr(this, "ID_BTN_VT71H_SAVE");
    }
}

void DisplayBoardDialog::comboChanged(QComboBox* combo) {
    if (filling_) return;
    const std::string text = fromQ(combo->currentText());
    if (combo == baud_)
        upd_Option_BaudRateh(text, CodeD);
    else if (combo == titleColour_)
        upd_Option_ColDid(text, CodeD);
    else if (combo == numberColour_)
        upd_Option2_ColGra(text, CodeD);
    else
        upd_Option3_Mode(text);
    enable_cntr(this, "ID_BTN_VT71H_WRITE");
}

void DisplayBoardDialog::checkClicked(DisplayCheck which, bool on) {
    setDisplayCheck(which, on, CodeD);
    if (which == DisplayCheck::ScanOff) fill();  // the scan edit follows its "OFF"
    enable_cntr(this, "ID_BTN_VT71H_WRITE");
}

void DisplayBoardDialog::comError() {
    vx::ui::message(this, kComError, "COM Error", Icon::Error);
}

void DisplayBoardDialog::read() {
    disable_cntr(this, "ID_BTN_VT71H_READ");
    if (loadParcfgh(CodeD))
        comError();
    else
        fill();
    enable_cntr(this, "ID_BTN_VT71H_READ");
}

void DisplayBoardDialog::write() {
    if (write_to_VT71h(CodeD)) return comError();
    disable_cntr(this, "ID_BTN_VT71H_WRITE");
    enable_cntr(this, "ID_BTN_VT71H_SAVE");
}

void DisplayBoardDialog::save() {
    if (vx::ui::message(this, "Save the current parameter values in the non-volatile memory ?", "Question",
                        Icon::Question, Buttons::YesNo) != Answer::Yes)
        return;
    if (saveDisplayBoard(CodeD)) return comError();
    disable_cntr(this, "ID_BTN_VT71H_SAVE");
}

void DisplayBoardDialog::restoreDefaults() {
    if (vx::ui::message(this, "Restore the default parameter values ?", "Question", Icon::Question,
                        Buttons::YesNo) != Answer::Yes)
        return;
    if (defaultDisplayBoard(CodeD)) return comError();
    vx::ui::message(this, "Parameters restored successfully \n\r!!! Wait a few seconds !!!", "Info",
                    Icon::Information);
    read();
}

void DisplayBoardDialog::reset() {
    if (resetDisplayBoard(CodeD)) {
        vx::ui::message(this, "Reset not executed !", "COM Error", Icon::Error);
        return;
    }
    vx::link::sleepMs(150);
    if (wait_boot(this, 1) == 1)
        read();
    else
        comError();
}

bool DisplayBoardDialog::serviceKey(char letter) {
    const char key = char(letter >= 'a' && letter <= 'z' ? letter - 'a' + 'A' : letter);
    if (!serviceKeyAvailable(key, Slave_board)) return false;
    if (key == 'C') {
        if (DlgTunosc(this) == 1) enable_cntr(this, "ID_BTN_VT71H_WRITE");
    } else if (displayServiceKey(this, key, CodeD) == ServiceResult::ComError) {
        comError();
    }
    return true;
}

void DisplayBoardDialog::keyPressEvent(QKeyEvent* e) {
    if (const char key = altLetter(e); key && serviceKey(key)) return;
    QDialog::keyPressEvent(e);
}

bool DisplayBoardDialog::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::KeyPress)
        if (const char key = altLetter(static_cast<QKeyEvent*>(e)); key && serviceKey(key)) return true;
    return QDialog::eventFilter(watched, e);
}

void DlgVT71hcfg(QWidget* owner) {
    DisplayBoardDialog dlg(owner);
    if (dlg.load()) dlg.exec();
}

}  // namespace vx::boards
