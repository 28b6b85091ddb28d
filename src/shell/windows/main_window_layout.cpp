// The controls of the main window and their places.

#include <QCheckBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "shell/program_settings.h"
#include "shell/startup_state.h"
#include "shell/windows/main_window.h"
#include "ui/qt/controls.h"

namespace vx::shell {
namespace {

constexpr int kStatusFirstPart = 150;         // pixels
constexpr QRgb kReportBackground = 0xFFFFE6;  // RGB(255,255,230)
constexpr int kReportColumns = 56;
constexpr int kReportRows = 24;

using vx::ui::qt::named;

QPushButton* button(QWidget* parent, const char* name, const char* text) {
    return vx::ui::qt::makeButton(parent, name, text);
}

QGroupBox* group(QWidget* parent, const char* name, const char* title) {
    return vx::ui::qt::makeGroup(parent, name, title);
}

}  // namespace

void MainWindow::buildControls() {
    setObjectName(QStringLiteral("DialogMain"));
    setWindowTitle(QString::fromLatin1(Nome_prog));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowFlag(Qt::WindowMinimizeButtonHint, true);
    // Group captions in blue on the normal dialog background.
    setStyleSheet(QStringLiteral("QGroupBox::title { color: #0000FF; }"));

    // Measurement System: the report and the board's alarm rows.
    QGroupBox* session = group(this, "ID_TXTG_SESSIONE", "Measurement System");
    report_ = named(new QPlainTextEdit(session), "ID_EDT_SES");
    report_->setReadOnly(true);
    report_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // The platform's fixed font, asked for as fixed pitch: the report's columns line up
    // whatever the font configuration says of the face it picks.
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setStyleHint(QFont::Monospace);
    fixed.setFixedPitch(true);
    report_->setFont(fixed);
    QPalette pal = report_->palette();
    pal.setColor(QPalette::Base, QColor(kReportBackground));
    report_->setPalette(pal);
    QFontMetrics fm(report_->font());
    report_->setMinimumSize(fm.horizontalAdvance(QLatin1Char('x')) * kReportColumns, fm.lineSpacing() * 12);
    report_->resize(report_->minimumWidth(), fm.lineSpacing() * kReportRows);

    struct RowText {
        const char *reset, *lamp, *text, *label;
        uint8_t stateBit, smsBit;
    };
    static const RowText rows[4] = {
        {"ID_BTN_ALAINV", "ID_STA_ALAINV", "ID_TXT_ALAINV", "Single inverter alarm", 0x10, 0x20},
        {"ID_BTN_ALAETAG", "ID_STA_ALAETAG", "ID_TXT_ALAETAG", "Overall efficiency alarm", 0x04, 0x08},
        {"ID_BTN_ALAEFF", "ID_STA_ALAEFF", "ID_TXT_ALAEFF", "Burglar alarm", 0x01, 0x02},
        {"ID_BTN_ALAUX", "ID_STA_ALAUX", "ID_TXT_ALAUX", "Auxiliaries alarm", 0x40, 0x80},
    };
    auto* alarmGrid = new QGridLayout;
    for (int i = 0; i < 4; ++i) {
        AlarmRow& r = alarms_[size_t(i)];
        r.reset = button(session, rows[i].reset, "R");
        r.reset->setFixedWidth(28);
        QSizePolicy keep = r.reset->sizePolicy();
        keep.setRetainSizeWhenHidden(true);  // the row does not move when "R" comes and goes
        r.reset->setSizePolicy(keep);
        r.lamp = named(new QLabel(session), rows[i].lamp);
        r.lamp->setFixedSize(18, 18);
        r.lamp->setFrameShape(QFrame::Panel);
        r.lamp->setFrameShadow(QFrame::Sunken);
        r.lamp->setAutoFillBackground(true);
        r.text = named(new QLabel(QString::fromLatin1(rows[i].label), session), rows[i].text);
        r.stateBit = rows[i].stateBit;
        r.smsBit = rows[i].smsBit;
        alarmGrid->addWidget(r.reset, i, 0);
        alarmGrid->addWidget(r.lamp, i, 1);
        alarmGrid->addWidget(r.text, i, 2);
        connect(r.reset, &QPushButton::clicked, this, [this, i] { alarmResetClicked(i); });
    }
    alarmGrid->setColumnStretch(2, 1);
    details_ = button(session, "ID_BTN_DETTAGLI", "Details");
    auto* alarmRow = new QHBoxLayout;
    alarmRow->addLayout(alarmGrid, 1);
    alarmRow->addWidget(details_, 0, Qt::AlignBottom);
    auto* sessionCol = new QVBoxLayout(session);
    sessionCol->addWidget(report_, 1);
    sessionCol->addLayout(alarmRow);

    // Data Processing: the sample time and Start.
    QGroupBox* file = group(this, "ID_TXTG_FILE", "Data Processing");
    sample_ = named(new QLineEdit(file), "ID_EDT_SAMPLE");
    sample_->setAlignment(Qt::AlignRight);
    sample_->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), sample_));
    sample_->setFixedWidth(sample_->fontMetrics().horizontalAdvance(QStringLiteral("0000000")) + 16);
    start_ = button(file, "ID_BTN_START", "Start");
    auto* sampleRow = new QHBoxLayout;
    sampleRow->addWidget(new QLabel(QStringLiteral("Sample Time"), file));
    sampleRow->addWidget(sample_);
    sampleRow->addWidget(new QLabel(QStringLiteral("s"), file));
    sampleRow->addStretch(1);
    // Remembered from run to run: the download then also keeps what the logger answered.
    keepRaw_ = named(new QCheckBox(QStringLiteral("Keep raw data"), file), "ID_CHK_KEEPRAW");
    keepRaw_->setChecked(keepRawData());
    connect(keepRaw_, &QCheckBox::toggled, this, &MainWindow::keepRawToggled);
    auto* fileCol = new QVBoxLayout(file);
    fileCol->addLayout(sampleRow);
    fileCol->addWidget(keepRaw_);
    fileCol->addWidget(start_);

    // Misc.
    QGroupBox* misc = group(this, "ID_TXTG_VARIE", "Misc");
    QPushButton* clock = button(misc, "ID_BTN_CLOCK", "Clock sync");
    satmr_ = button(misc, "ID_BTN_SATMR", "Sample Timer");
    QPushButton* monitor = button(misc, "ID_BTN_MONITOR", "Monitor");
    verbose_ = named(new QLabel(misc), "ID_TXT_VERBOSE");
    verbose_->setFrameShape(QFrame::Panel);
    verbose_->setFrameShadow(QFrame::Sunken);
    verbose_->setAlignment(Qt::AlignCenter);
    verbose_->setMinimumHeight(fm.lineSpacing() + 6);
    auto* miscCol = new QVBoxLayout(misc);
    for (QWidget* w : {static_cast<QWidget*>(clock), static_cast<QWidget*>(satmr_),
                       static_cast<QWidget*>(monitor), static_cast<QWidget*>(verbose_)})
        miscCol->addWidget(w);

    QPushButton* exit = button(this, "ID_BTN_EXIT", "Exit");
    auto* side = new QVBoxLayout;
    side->addWidget(file);
    side->addWidget(misc);
    side->addStretch(1);
    side->addWidget(exit);

    auto* body = new QHBoxLayout;
    body->addWidget(session, 1);
    body->addLayout(side);
    statusBar_ = new vx::ui::qt::PartStatusBar(this, kStatusFirstPart);
    statusBar_->setObjectName(QStringLiteral("ID_MAIN_STATUSBAR"));
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    auto* content = new QVBoxLayout;
    content->setContentsMargins(9, 9, 9, 9);
    content->addLayout(body);
    outer->addLayout(content, 1);
    outer->addWidget(statusBar_);

    connect(sample_, &QLineEdit::textChanged, this, [this] { sampleTimeNotified(); });
    sample_->installEventFilter(this);
    connect(start_, &QPushButton::clicked, this, [this] { start(); });
    connect(clock, &QPushButton::clicked, this, [this] { clockSyncClicked(); });
    connect(satmr_, &QPushButton::clicked, this, [this] { sampleTimerClicked(); });
    connect(monitor, &QPushButton::clicked, this, [this] { monitorClicked(); });
    connect(details_, &QPushButton::clicked, this, [this] { detailsClicked(); });
    connect(exit, &QPushButton::clicked, this, [this] { done(1); });
    // The Alt service keys reach the window whichever control has the focus.
    for (QWidget* w : findChildren<QWidget*>())
        w->installEventFilter(this);
}

void MainWindow::hideBoardRows() {
    for (AlarmRow& r : alarms_) {
        // Hidden for good: the rows take no room and the report grows into it.
        QSizePolicy p = r.reset->sizePolicy();
        p.setRetainSizeWhenHidden(false);
        r.reset->setSizePolicy(p);
        r.reset->hide();
        r.lamp->hide();
        r.text->hide();
    }
    details_->hide();
}

}  // namespace vx::shell
