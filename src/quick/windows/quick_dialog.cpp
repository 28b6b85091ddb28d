#include "quick/windows/quick_dialog.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>
#include <filesystem>

#include "boards/display_board.h"
#include "boards/windows/board_config_dialog.h"
#include "boards/windows/display_board_dialog.h"
#include "postproc/made_files.h"
#include "postproc/table_load.h"
#include "postproc/windows/set_file_dialog.h"
#include "quick/flash_image.h"
#include "quick/quick_session.h"
#include "session/session_state.h"
#include "shell/startup_state.h"
#include "state/flags.h"
#include "ui/qt/controls.h"

namespace vx::quick {
namespace {

using vx::ui::qt::makeButton;
using vx::ui::qt::makeGroup;
using vx::ui::qt::named;
using vx::ui::qt::toQ;

constexpr QRgb kReportBackground = 0xFFFFE6;  // RGB(255,255,230) while the table is valid
constexpr QRgb kSampleErrorBackground = 0xFF0000;
constexpr int kStatusFirstPart = 150;

// The controls of the image side, disabled when a data file was named at start-up.
const char* const kImageSide[] = {"506", "ID_BTN_QLOAD", "ID_CMB_QLOAD", "507",           "501",
                                  "508", "232",          "234",          "ID_EDT_QSAMPLE"};

QFont fixedFont() {
    QFont f = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    f.setStyleHint(QFont::Monospace);
    f.setFixedPitch(true);
    return f;
}

// The copy of a saved table that "Load file .txt" made: the original stays where it was.
void removeTableCopy() {
    std::error_code ec;
    std::filesystem::remove(DataTimeSS, ec);
}

}  // namespace

QuickLinks QuickLinks::defaults() {
    QuickLinks links;
    links.loadFileTxt = [] { return ::loadFileTxt(); };
    links.postProcessing = [](QWidget* owner) { runPostProcessing(owner); };
    links.energyCheck = [](QWidget* owner) {
        vx::boards::BoardConfigLinks board;  // no device here: a display's window says it is not found
        board.displayDetails = [](QWidget* o, int code) {
            CodeD = code;
            vx::boards::DlgVT71hcfg(o);
        };
        vx::boards::DlgVT71chk(owner, board);
    };
    return links;
}

QuickLinks& quickLinks() {
    static QuickLinks links = QuickLinks::defaults();
    return links;
}

QuickDialog::QuickDialog(bool fileNamed, QuickLinks links, QWidget* parent)
    : QDialog(parent), fileNamed_(fileNamed), links_(std::move(links)) {
    buildControls();
}

void QuickDialog::buildControls() {
    setObjectName(QStringLiteral("DialogQuick"));
    setWindowTitle(QString::fromLatin1(Nome_prog2));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setStyleSheet(QStringLiteral("QGroupBox::title { color: #0000FF; }"));

    QGroupBox* image = makeGroup(this, "506", "Reading image file");
    QPushButton* load = makeButton(image, "ID_BTN_QLOAD", "Load");
    auto* startLabel = named(new QLabel(QStringLiteral("Start session"), image), "507");
    sessions_ = named(new QComboBox(image), "ID_CMB_QLOAD");
    sessions_->setMinimumContentsLength(13);
    auto* imageRow = new QHBoxLayout(image);
    imageRow->addWidget(load);
    imageRow->addWidget(startLabel);
    imageRow->addWidget(sessions_, 1);

    QGroupBox* data = makeGroup(this, "501", "Data Processing");
    auto* sampleLabel = named(new QLabel(QStringLiteral("Sample Time"), data), "232");
    sample_ = named(new QLineEdit(data), "ID_EDT_QSAMPLE");
    sample_->setMaxLength(5);
    sample_->setAlignment(Qt::AlignRight);
    auto* unit = named(new QLabel(QStringLiteral("s"), data), "234");
    start_ = makeButton(data, "ID_BTN_QSTART", "Start");
    auto* dataRow = new QHBoxLayout(data);
    dataRow->addWidget(sampleLabel);
    dataRow->addWidget(sample_);
    dataRow->addWidget(unit);
    dataRow->addStretch(1);
    dataRow->addWidget(start_);

    QGroupBox* system = makeGroup(this, "508", "Measurement System");
    report_ = named(new QPlainTextEdit(system), "ID_EDT_QSES");
    report_->setReadOnly(true);
    report_->setFont(fixedFont());
    QFontMetrics fm(report_->font());
    report_->setMinimumSize(fm.horizontalAdvance(QLatin1Char('x')) * 48, fm.lineSpacing() * 14);
    auto* systemCol = new QVBoxLayout(system);
    systemCol->addWidget(report_);

    first_ = makeButton(this, "ID_BTN_QFIRST", "Page First");
    last_ = makeButton(this, "ID_BTN_QLAST", "Page Last");
    QPushButton* loadTxt = makeButton(this, "ID_BTN_QLOADTXT", "Load file .txt");
    QPushButton* exit = makeButton(this, "ID_BTN_QEXIT", "Exit");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(first_);
    buttons->addWidget(last_);
    buttons->addStretch(1);
    buttons->addWidget(loadTxt);
    buttons->addWidget(exit);

    statusBar_ = new vx::ui::qt::PartStatusBar(this, kStatusFirstPart);
    statusBar_->setObjectName(QStringLiteral("ID_MAIN_QSTATUSBAR"));

    auto* outer = new QVBoxLayout(this);
    outer->addWidget(image);
    outer->addWidget(data);
    outer->addWidget(system, 1);
    outer->addLayout(buttons);
    outer->addWidget(statusBar_);

    connect(load, &QPushButton::clicked, this, [this] { loadClicked(); });
    connect(sessions_, qOverload<int>(&QComboBox::activated), this, [this](int i) { sessionChosen(i); });
    connect(sample_, &QLineEdit::textChanged, this, [this] { sampleEdited(); });
    connect(start_, &QPushButton::clicked, this, [this] { startClicked(); });
    connect(first_, &QPushButton::clicked, this, [this] { pageClicked(PAGE_FIRST); });
    connect(last_, &QPushButton::clicked, this, [this] { pageClicked(PAGE_LAST); });
    connect(loadTxt, &QPushButton::clicked, this, [this] { loadTxtClicked(); });
    connect(exit, &QPushButton::clicked, this, [this] { accept(); });

    // The opening state.
    apply(openQuickMode());
    sample_->setText(QString::number(Tsample));
    status(" Ready");
    if (fileNamed_)
        for (const char* name : kImageSide)
            if (auto* w = findChild<QWidget*>(QString::fromLatin1(name))) w->setEnabled(false);
}

void QuickDialog::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (opened_) return;
    opened_ = true;
    if (parentWidget())
        vx::ui::qt::centerOnParent(this, parentWidget());
    else
        vx::ui::qt::centerOnScreen(this);
    // A data file named on the command line is opened at once.
    if (fileNamed_) QTimer::singleShot(0, this, [this] { loadTxtClicked(); });
}

void QuickDialog::status(const char* text) {
    statusBar_->setPart(0, toQ(text));
}

void QuickDialog::apply(const QuickControls& c) {
    start_->setEnabled(c.start);
    first_->setEnabled(c.pageFirst);
    last_->setEnabled(c.pageLast);
    paintReport();
}

void QuickDialog::paintReport() {
    QPalette pal = report_->palette();
    pal.setColor(QPalette::Base,
                 Flag.table_error == 0 ? QColor(kReportBackground) : palette().color(QPalette::Base));
    report_->setPalette(pal);
}

void QuickDialog::loadClicked() {
    if (!loadTable(this)) return;
    sessions_->clear();
    for (int32_t i = 0; i < IndTab; ++i)
        sessions_->addItem(toQ(Table[i].datainizio));
    sessions_->setCurrentIndex(IndTab - 1);
    sessionChosen(IndTab - 1);
}

void QuickDialog::sessionChosen(int index) {
    QuickControls c = chooseSession(index, report_);
    apply(c);
    report_->moveCursor(QTextCursor::Start);
}

void QuickDialog::sampleEdited() {
    const bool valid = applySampleTime(vx::ui::qt::fromQ(sample_->text()));
    QPalette pal = sample_->palette();
    pal.setColor(QPalette::Base, valid ? palette().color(QPalette::Base) : QColor(kSampleErrorBackground));
    sample_->setPalette(pal);
    start_->setEnabled(startAllowed());
}

void QuickDialog::pageClicked(int32_t pageType) {
    Flag.page_type = pageType;
    {
        PageDialog viewer(this);
        viewer.exec();
    }
    apply(afterPageViewer(report_, last_->isEnabled()));
    report_->moveCursor(QTextCursor::Start);
}

void QuickDialog::startClicked() {
    status(" Busy...");
    const int32_t done = saveFileBin(this, DataTimeSS);
    if (!done) vx::ui::message(this, "The output file was not created !", "Warning", vx::ui::Icon::Warning);
    status(" Ready");
    if (!done) return;
    // The converted file stays until a table saved from it makes it redundant (at the end).
    vx::postproc::noteMadeFile(DataTimeSS);
    if (links_.postProcessing) links_.postProcessing(this);
}

void QuickDialog::loadTxtClicked() {
    if (!links_.loadFileTxt) return;
    if (!links_.loadFileTxt()) {
        vx::ui::message(this, "File not valid !", "Error", vx::ui::Icon::Error);
        return;
    }
    if (links_.postProcessing) links_.postProcessing(this);
    removeTableCopy();
}

bool QuickDialog::serviceKey(char letter) {
    if (letter != 's') return false;
    if (links_.energyCheck) links_.energyCheck(this);
    return true;
}

void QuickDialog::keyPressEvent(QKeyEvent* e) {
    if ((e->modifiers() & Qt::AltModifier) && !(e->modifiers() & Qt::ControlModifier) &&
        e->key() >= Qt::Key_A && e->key() <= Qt::Key_Z) {
        const bool shift = e->modifiers() & Qt::ShiftModifier;
        if (serviceKey(char((shift ? 'A' : 'a') + (e->key() - Qt::Key_A)))) return;
    }
    QDialog::keyPressEvent(e);
}

void QuickDialog::closeEvent(QCloseEvent* e) {
    e->accept();
    accept();  // the close box acts as Exit
}

// The page viewer.

PageDialog::PageDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("DialogPage"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setStyleSheet(QStringLiteral("QGroupBox::title { color: #0000FF; }"));

    QGroupBox* group = makeGroup(this, "603", "Data page");
    info_ = named(new QPlainTextEdit(group), "ID_EDT_PAGEINFO");
    info_->setReadOnly(true);
    info_->setFont(fixedFont());
    info_->setLineWrapMode(QPlainTextEdit::NoWrap);
    QPalette pal = info_->palette();
    pal.setColor(QPalette::Base, Qt::black);
    pal.setColor(QPalette::Text, Qt::white);
    info_->setPalette(pal);
    QFontMetrics fm(info_->font());
    info_->setMinimumSize(fm.horizontalAdvance(QLatin1Char('x')) * 72, fm.lineSpacing() * 20);

    auto* label = named(new QLabel(QStringLiteral("Data page address"), group), "606");
    page_ = named(new QLineEdit(group), "ID_EDT_PAGEPAGE");
    QFont big(QStringLiteral("Courier New"));
    big.setStyleHint(QFont::Monospace);
    big.setPixelSize(30);
    page_->setFont(big);
    page_->setMaxLength(6);
    spin_ = named(new QSpinBox(group), "ID_SPIN_PAGE");
    spin_->setRange(0, PAGE_MASK);
    spin_->setDisplayIntegerBase(16);
    spin_->setWrapping(false);
    // Only the arrows show: the page number itself is in the box beside them, in capitals.
    spin_->setFixedWidth(spin_->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 6);
    spin_->setFocusPolicy(Qt::NoFocus);
    QPushButton* esc = makeButton(this, "ID_BTN_PAGEESC", "Esc");

    auto* pageRow = new QHBoxLayout;
    pageRow->addWidget(label);
    pageRow->addWidget(page_);
    pageRow->addWidget(spin_);
    pageRow->addStretch(1);
    auto* groupCol = new QVBoxLayout(group);
    groupCol->addWidget(info_, 1);
    groupCol->addLayout(pageRow);
    auto* outer = new QVBoxLayout(this);
    outer->addWidget(group, 1);
    outer->addWidget(esc, 0, Qt::AlignRight);

    connect(esc, &QPushButton::clicked, this, [this] { accept(); });
    connect(spin_, qOverload<int>(&QSpinBox::valueChanged), this,
            [this](int v) { showPage(uint16_t(v), false); });
    connect(page_, &QLineEdit::returnPressed, this, [this] { entered(); });

    // The page the viewer opens on.
    PageView v = openPageViewer(Flag.page_type);
    const uint16_t opening = Flag.page_type == PAGE_LAST ? PagLast : PagFirst;
    info_->setPlainText(toQ(v.text).remove(QLatin1Char('\r')));
    page_->setText(toQ(pageEntryText(opening)));
    const QSignalBlocker quiet(spin_);
    spin_->setValue(opening);
}

void PageDialog::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (parentWidget())
        vx::ui::qt::centerOnParent(this, parentWidget());
    else
        vx::ui::qt::centerOnScreen(this);
    page_->setFocus();
}

void PageDialog::showPage(uint16_t page, bool fromEntry) {
    PageView v = viewerPage(page);
    info_->setPlainText(toQ(v.text).remove(QLatin1Char('\r')));
    info_->moveCursor(QTextCursor::Start);
    page_->setText(toQ(pageEntryText(page)));
    if (fromEntry) {
        const QSignalBlocker quiet(spin_);
        spin_->setValue(page);
    }
}

void PageDialog::entered() {
    showPage(parsePageEntry(vx::ui::qt::fromQ(page_->text())), true);
}

void PageDialog::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        return;  // the page box takes Enter; it never closes the viewer
    }
    QDialog::keyPressEvent(e);  // Escape closes it
}

int runQuickMode(QWidget* owner, bool fileNamed) {
    QuickDialog dlg(fileNamed, quickLinks(), owner);
    dlg.exec();
    return 1;
}

}  // namespace vx::quick
