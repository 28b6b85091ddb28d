#include "postproc/windows/set_file_dialog.h"

#include <algorithm>

#include <QGroupBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QMoveEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTableView>

#include "postproc/column_graph.h"
#include "postproc/set_file_rules.h"
#include "postproc/table_load.h"
#include "postproc/windows/plugin_launcher.h"
#include "session/session_state.h"
#include "ui/qt/controls.h"

int32_t PosWin3[2];

namespace vx::postproc {

using vx::ui::qt::makeButton;
using vx::ui::qt::makeGroup;
using vx::ui::qt::named;
using vx::ui::qt::toQ;

TableModel::TableModel(Table& table, QObject* parent) : QAbstractTableModel(parent), table_(table) {
    table_.addObserver(this);
}

TableModel::~TableModel() {
    table_.removeObserver(this);
}

int TableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : table_.rows();
}

int TableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : table_.columns();
}

QVariant TableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const int c = index.column();
    switch (role) {
        case Qt::DisplayRole:
            return toQ(std::string(table_.cell(index.row(), c)));
        case Qt::BackgroundRole:
            if (c <= 1) return QColor(230, 230, 230);
            if (c <= SELCOL_LAST && SelCol[c] == 1) return QColor(255, 255, 0);
            return QColor(255, 255, 255);
        case Qt::ForegroundRole:
            return QColor(0, 0, 0);
        case Qt::TextAlignmentRole:
            return c == 0 ? int(Qt::AlignCenter) : int(Qt::AlignLeft | Qt::AlignVCenter);
        default:
            return {};
    }
}

QVariant TableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal) return {};
    // "Item" centred; the other headers from their start, so that a cut one keeps "CH3_1".
    if (role == Qt::TextAlignmentRole)
        return section == 0 ? int(Qt::AlignCenter) : int(Qt::AlignLeft | Qt::AlignVCenter);
    if (role != Qt::DisplayRole) return {};
    return toQ(std::string(table_.header(section)));
}

void TableModel::repaintAll() {
    if (table_.rows() > 0 && table_.columns() > 0)
        emit dataChanged(index(0, 0), index(table_.rows() - 1, table_.columns() - 1), {Qt::BackgroundRole});
}

// ---------------------------------------------------------------------------------------

SetFileDialog::SetFileDialog(QWidget* owner, Table& table) : QDialog(owner), table_(table) {
    setObjectName(QStringLiteral("DlgSetFile"));
    setWindowTitle(QStringLiteral("Formatting output file"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setStyleSheet(QStringLiteral("QGroupBox::title { color: #0000FF; background: transparent; }"));

    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const int w = screen.width(), h = screen.height();
    setGeometry(1, 1, w, h);

    model_ = new TableModel(table_, this);
    view_ = named(new QTableView(this), "ID_LV_SELFILE");
    view_->setModel(model_);
    view_->setGeometry(38, 110, w - 100, h - 300);
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view_->verticalHeader()->hide();
    view_->horizontalHeader()->setSectionsClickable(true);
    view_->horizontalHeader()->setHighlightSections(false);
    view_->setWordWrap(false);
    view_->viewport()->installEventFilter(this);

    QGroupBox* group = makeGroup(this, "ID_TXTG_SELFFILE", "File Settings");
    group->setGeometry(38, 10, 520, 90);
    formatA_ = named(new QRadioButton(QStringLiteral("File format A"), group), "ID_BTNR_SELFA");
    formatB_ = named(new QRadioButton(QStringLiteral("File format B"), group), "ID_BTNR_SELFB");
    auto* sepLabel = named(new QLabel(QStringLiteral("Decimal separator:"), group), "ID_TXT_SELSEP");
    separator_ = makeButton(group, "ID_BTNC_SELFDOT", "Point");
    QPushButton* saveButton = makeButton(group, "ID_BTN_SELFSAVE", "Save");
    formatA_->setGeometry(15, 25, 130, 24);
    formatB_->setGeometry(15, 55, 130, 24);
    sepLabel->setGeometry(160, 25, 130, 24);
    separator_->setGeometry(160, 52, 100, 28);
    saveButton->setGeometry(400, 35, 100, 32);

    const int row = 110 + (h - 300) + 10;
    move_ = makeButton(this, "ID_BTN_SELFSPOSTA", "<<< Move column");
    merge_ = makeButton(this, "ID_BTN_SELFFUSIONE", "Merge column");
    deleteColumn_ = makeButton(this, "ID_BTN_SELFDELCOL", "Delete column");
    deleteItem_ = makeButton(this, "ID_BTN_SELFCUT", "Delete item");
    graph_ = makeButton(this, "ID_BTN_SELFGRAPH", "Graph");
    QPushButton* esc = makeButton(this, "ID_BTN_SETFILEESC", "Esc");
    move_->setGeometry(38, row, 115, 30);
    merge_->setGeometry(158, row, 115, 30);
    deleteColumn_->setGeometry(278, row, 90, 30);
    deleteItem_->setGeometry(372, row, 120, 30);
    graph_->setGeometry(500, row, 100, 30);
    esc->setGeometry(w - 122, row, 80, 30);

    connect(move_, &QPushButton::clicked, this, [this] {
        moveClicked(&table_);
        afterEdit();
    });
    connect(merge_, &QPushButton::clicked, this, [this] {
        mergeClicked(&table_, this);
        afterEdit();
    });
    connect(deleteColumn_, &QPushButton::clicked, this, [this] {
        deleteColumnClicked(&table_, this);
        afterEdit();
    });
    connect(deleteItem_, &QPushButton::clicked, this, [this] {
        view_->hide();
        deleteItemClicked(&table_, this);
        view_->show();
        afterEdit();
    });
    connect(graph_, &QPushButton::clicked, this, [this] { graph(); });
    connect(separator_, &QPushButton::clicked, this, [this] { separator_->setText(toQ(toggleSeparator())); });
    connect(saveButton, &QPushButton::clicked, this, [this] { save(); });
    connect(esc, &QPushButton::clicked, this, [this] { reject(); });
    connect(view_->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int section) {
        if (headerClicked(&table_, section, this)) afterEdit();
    });
    connect(view_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { viewSelectionChanged(); });
    connect(model_, &TableModel::rowSelectionFollows, this, [this] { tableSelectionChanged(); });
    connect(model_, &QAbstractItemModel::modelReset, this, [this] { applyWidths(); });

    load();
}

void SetFileDialog::load() {
    view_->hide();
    const SetFileOpening o = openSetFile(&table_, this);
    separator_->setText(toQ(o.separator));
    (o.formatA ? formatA_ : formatB_)->setChecked(true);
    applyWidths();
    view_->show();
    updateButtons();
}

void SetFileDialog::applyWidths() {
    const int screen = QGuiApplication::primaryScreen()->geometry().width();
    const int w = dataColumnWidth(screen, table_.columns() - 2);
    // The item and time columns are at least wide enough for their texts in this font.
    const QFontMetrics fm = view_->fontMetrics();
    const int item = std::max(ITEM_COLUMN_WIDTH, fm.horizontalAdvance(QStringLiteral("99999")) + 10);
    const int time = std::max(TIME_COLUMN_WIDTH, fm.horizontalAdvance(QStringLiteral("000000_000000")) + 10);
    for (int c = 0; c < table_.columns(); ++c)
        view_->setColumnWidth(c, c == 0 ? item : c == 1 ? time : w);
}

void SetFileDialog::updateButtons() {
    const SetFileButtons b = setFileButtons(&table_);
    move_->setEnabled(b.move);
    merge_->setEnabled(b.merge);
    deleteColumn_->setEnabled(b.deleteColumn);
    deleteItem_->setEnabled(b.deleteItem);
    graph_->setEnabled(b.graph);
}

void SetFileDialog::afterEdit() {
    model_->repaintAll();
    tableSelectionChanged();
    updateButtons();
}

void SetFileDialog::viewSelectionChanged() {
    if (syncing_) return;
    syncing_ = true;
    // The view's selection becomes the table's.
    std::vector<uint8_t> selected(size_t(table_.rows()), 0);
    for (const QItemSelectionRange& range : view_->selectionModel()->selection())
        for (int r = range.top(); r <= range.bottom() && r < table_.rows(); ++r)
            selected[size_t(r)] = 1;
    table_.beginUpdate();  // one notice at the end, not one per row
    for (int r = 0; r < table_.rows(); ++r)
        table_.setRowSelected(r, selected[size_t(r)] != 0);
    table_.endUpdate();
    syncing_ = false;
    if (enforceRowMode(&table_)) tableSelectionChanged();
    updateButtons();
}

void SetFileDialog::tableSelectionChanged() {
    if (syncing_) return;
    syncing_ = true;
    QItemSelection sel;
    const int last = table_.columns() - 1;
    for (int r = 0; r < table_.rows(); ++r) {
        if (!table_.rowSelected(r)) continue;
        int end = r;
        while (end + 1 < table_.rows() && table_.rowSelected(end + 1))
            ++end;
        sel.select(model_->index(r, 0), model_->index(end, last));
        r = end;
    }
    view_->selectionModel()->select(sel, QItemSelectionModel::ClearAndSelect);
    syncing_ = false;
    updateButtons();
}

bool SetFileDialog::eventFilter(QObject* watched, QEvent* e) {
    if (watched != view_->viewport()) return QDialog::eventFilter(watched, e);
    if (e->type() != QEvent::MouseButtonPress && e->type() != QEvent::MouseButtonDblClick)
        return QDialog::eventFilter(watched, e);
    auto* me = static_cast<QMouseEvent*>(e);
    const QModelIndex at = view_->indexAt(me->position().toPoint());
    if (!at.isValid()) return QDialog::eventFilter(watched, e);
    if (e->type() == QEvent::MouseButtonDblClick) {
        if (at.column() >= 2) {
            if (cellDoubleClicked(&table_, at.row(), at.column(), this)) afterEdit();
            return true;
        }
        return QDialog::eventFilter(watched, e);
    }
    const Click click = me->button() == Qt::RightButton ? Click::Right : Click::Left;
    if (me->button() != Qt::LeftButton && me->button() != Qt::RightButton) return true;
    const bool letViewSelect = cellClicked(&table_, at.row(), at.column(), click);
    afterEdit();
    if (letViewSelect) return QDialog::eventFilter(watched, e);  // plain, Ctrl and Shift rules
    return true;
}

void SetFileDialog::graph() {
    setEnabled(false);
    const int32_t result = graphCol(&table_, SelCol, int32_t(InfoSES.nItem));
    setEnabled(true);
    raise();
    activateWindow();
    view_->setFocus();
    const int32_t row = graphDone(&table_, result, this);
    if (row >= 0) view_->scrollTo(model_->index(row, 0));
    afterEdit();
}

void SetFileDialog::save() {
    if (saveClicked(&table_, formatA_->isChecked())) {
        setEnabled(false);
        runPluginLauncher();
        setEnabled(true);
        raise();
        activateWindow();
    }
}

void SetFileDialog::undo() {
    if (undoClicked(&table_)) afterEdit();
}

void SetFileDialog::keyPressEvent(QKeyEvent* e) {
    if (e->matches(QKeySequence::Undo) || (e->key() == Qt::Key_Z && (e->modifiers() & Qt::ControlModifier))) {
        undo();
        return;
    }
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) return;  // no default button
    QDialog::keyPressEvent(e);
}

void SetFileDialog::moveEvent(QMoveEvent* e) {
    QDialog::moveEvent(e);
    PosWin3[0] = e->pos().x();
    PosWin3[1] = e->pos().y();
}

void SetFileDialog::reject() {
    if (closeRequested(&table_, this)) QDialog::reject();
}

}  // namespace vx::postproc

void runPostProcessing(QWidget* owner) {
    vx::postproc::SetFileDialog dlg(owner, vx::postproc::theTable());
    dlg.exec();
}
