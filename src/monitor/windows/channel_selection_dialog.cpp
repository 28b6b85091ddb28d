#include "monitor/windows/channel_selection_dialog.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "monitor/export_file.h"
#include "monitor/monitor_hooks.h"
#include "monitor/monitor_state.h"
#include "ui/qt/controls.h"

namespace vx::monitor {
namespace {

constexpr QRgb kFixedCell = 0xE6E6E6, kSelectedCell = 0xFFFF00, kPlainCell = 0xFFFFFF;
constexpr QRgb kInvalidPeriod = 0xFF0000;

QColor cellColour(CellLook look) {
    switch (look) {
        case CellLook::Fixed:
            return QColor(kFixedCell);
        case CellLook::Selected:
            return QColor(kSelectedCell);
        case CellLook::Plain:
            break;
    }
    return QColor(kPlainCell);
}

}  // namespace

ChannelSelectionDialog::ChannelSelectionDialog(QWidget* owner, const std::function<void()>& restartTimer)
    : QDialog(owner) {
    using namespace vx::ui::qt;
    setObjectName(QStringLiteral("DlgSelCH"));
    setWindowTitle(QStringLiteral("Measurement channels"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setStyleSheet(QStringLiteral("QGroupBox::title { color: #0000FF; }"));

    date_ = named(new QLineEdit(this), "ID_EDT_SELDATA");
    time_ = named(new QLineEdit(this), "ID_EDT_SELORA");
    for (QLineEdit* e : {date_, time_})
        e->setReadOnly(true);
    list_ = named(new QTableWidget(this), "ID_LV_SELCH");
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->verticalHeader()->hide();
    auto* help = named(
        new QLabel(QStringLiteral(
                       "Left-click with the mouse one or more channels to be displayed and then press Esc"),
                   this),
        "ID_TXT_SELTXT");
    help->setWordWrap(true);
    graph_ = named(new QCheckBox(QStringLiteral("Graph"), this), "ID_CHK_SELGRAPH");
    graphCur_ = named(new QCheckBox(QStringLiteral("Graph Cur"), this), "ID_CHK_SELGRAPHC");
    QGroupBox* save = makeGroup(this, "ID_GRP_SELCH", "Save data to file");
    period_ = named(new QLineEdit(save), "ID_EDT_SELCHSAMPLE");
    period_->setAlignment(Qt::AlignRight);
    start_ = makeButton(save, "ID_BTN_SELCHSTART", "Start");
    elapsed_ = named(new QLabel(save), "ID_TXT_SELCHEXPT");
    elapsed_->setStyleSheet(QStringLiteral("color: #FF0000;"));
    QPushButton* esc = makeButton(this, "ID_BTN_SELCHESC", "Esc");

    auto* when = new QGridLayout;
    when->addWidget(new QLabel(QStringLiteral("Starting date of the session:"), this), 0, 0);
    when->addWidget(date_, 0, 1);
    when->addWidget(new QLabel(QStringLiteral("Starting time of the session:"), this), 1, 0);
    when->addWidget(time_, 1, 1);
    auto* inSave = new QHBoxLayout(save);
    inSave->addWidget(period_);
    inSave->addWidget(new QLabel(QStringLiteral("s"), save));
    inSave->addWidget(start_);
    inSave->addWidget(elapsed_);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(graph_);
    bottom->addWidget(graphCur_);
    bottom->addWidget(save, 1);
    bottom->addWidget(esc);
    auto* col = new QVBoxLayout(this);
    col->addLayout(when);
    col->addWidget(list_, 1);
    col->addWidget(help);
    col->addLayout(bottom);

    connect(list_, &QTableWidget::cellClicked, this, [this](int r, int c) { clickCell(r, c); });
    // Only the cell colours show the selection: the list's own row selection goes at once.
    connect(list_, &QTableWidget::itemSelectionChanged, this, [this] {
        if (!list_->selectedItems().isEmpty()) list_->clearSelection();
    });
    connect(graph_, &QCheckBox::clicked, this, [this](bool on) {
        graphBoxClicked(boxes_, GraphBox::Graph, on);
        graphCur_->setChecked(boxes_.graphCur);
    });
    connect(graphCur_, &QCheckBox::clicked, this, [this](bool on) {
        graphBoxClicked(boxes_, GraphBox::GraphCur, on);
        graph_->setChecked(boxes_.graph);
    });
    connect(period_, &QLineEdit::textEdited, this, [this] { periodEdited(); });
    connect(start_, &QPushButton::clicked, this, [this] { startClicked(); });
    connect(esc, &QPushButton::clicked, this, [this] { reject(); });
    openWith(restartTimer);
}

ChannelSelectionDialog::~ChannelSelectionDialog() {
    MonitorHooks hooks = monitorHooks();
    hooks.exportElapsed = nullptr;
    hooks.exportStopped = nullptr;
    setMonitorHooks(hooks);
}

void ChannelSelectionDialog::openWith(const std::function<void()>& restartTimer) {
    const SelectionView v = openChannelSelection(this);
    date_->setText(vx::ui::qt::toQ(v.date));
    time_->setText(vx::ui::qt::toQ(v.time));
    fillList();
    period_->setText(vx::ui::qt::toQ(v.period));
    showExportState(v.exporting, vx::ui::qt::toQ(v.elapsed));
    MonitorHooks hooks = monitorHooks();
    hooks.exportElapsed = [this](const char* text) { elapsed_->setText(QString::fromLatin1(text)); };
    hooks.exportStopped = [this] { showExportState(false, {}); };
    setMonitorHooks(hooks);
    if (restartTimer) restartTimer();
    resize(qMax(sizeHint().width(), 640), qMax(sizeHint().height(), 420));
}

void ChannelSelectionDialog::fillList() {
    const ChannelList l = channelList();
    list_->setColumnCount(int(l.heads.size()));
    list_->setRowCount(int(l.rows.size()));
    QStringList heads;
    for (const std::string& h : l.heads)
        heads << vx::ui::qt::toQ(h);
    list_->setHorizontalHeaderLabels(heads);
    for (int c = 0; c < int(l.widths.size()); ++c)
        list_->setColumnWidth(c, l.widths[size_t(c)]);
    for (int r = 0; r < int(l.rows.size()); ++r) {
        for (int c = 0; c < int(l.rows[size_t(r)].size()); ++c) {
            auto* item = new QTableWidgetItem(vx::ui::qt::toQ(l.rows[size_t(r)][size_t(c)]));
            item->setTextAlignment(Qt::AlignCenter);
            list_->setItem(r, c, item);
        }
    }
    paintCells();
}

void ChannelSelectionDialog::paintCells() {
    for (int r = 0; r < list_->rowCount(); ++r) {
        for (int c = 0; c < list_->columnCount(); ++c) {
            QTableWidgetItem* item = list_->item(r, c);
            if (!item) list_->setItem(r, c, item = new QTableWidgetItem);
            item->setBackground(cellColour(cellLook(r, c)));
        }
    }
    const bool boxes = graphBoxesEnabled();
    graph_->setEnabled(boxes);
    graphCur_->setEnabled(boxes);
}

void ChannelSelectionDialog::clickCell(int row, int column) {
    if (clickChannelCell(row, column)) paintCells();
}

void ChannelSelectionDialog::showExportState(bool exporting, const QString& elapsed) {
    start_->setVisible(!exporting);
    elapsed_->setVisible(exporting);
    elapsed_->setText(elapsed);
    period_->setEnabled(!exporting);
}

void ChannelSelectionDialog::periodEdited() {
    const bool valid = setExportPeriod(vx::ui::qt::fromQ(period_->text()));
    start_->setEnabled(valid);
    QPalette pal = period_->palette();
    pal.setColor(QPalette::Base, valid ? palette().color(QPalette::Base) : QColor(kInvalidPeriod));
    period_->setPalette(pal);
}

void ChannelSelectionDialog::startClicked() {
    if (startExport(this)) showExportState(true, vx::ui::qt::toQ(exportElapsedText(StartExpTime)));
}

void ChannelSelectionDialog::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    vx::ui::qt::centerOnScreen(this);
}

void ChannelSelectionDialog::reject() {
    if (closing_) return;
    closing_ = true;
    closeChannelSelection(boxes_);
    QDialog::reject();
}

void ChannelSelectionDialog::closeEvent(QCloseEvent* e) {
    e->ignore();
    reject();
}

void DlgSelCH(QWidget* owner, const std::function<void()>& restartTimer) {
    ChannelSelectionDialog dlg(owner, restartTimer);
    dlg.exec();
}

}  // namespace vx::monitor
