#pragma once
// The post-processing window ("Formatting output file", dialog 800, DlgSetFile): the table
// full screen with its column and row selection, the column and row operations, the graph,
// the output format and decimal separator, Save (then the companion programs), Ctrl+Z to
// undo the last edit, and Esc. The rules live in postproc/set_file_rules.h.

#include <QAbstractTableModel>
#include <QDialog>

#include "postproc/table.h"

class QTableView;
class QPushButton;
class QRadioButton;

namespace vx::postproc {

// The table as the view shows it: texts, headers and the cell colours (grey for "Item" and
// "Time", yellow for a selected column, else white). It follows the table's changes.
class TableModel : public QAbstractTableModel, public TableObserver {
    Q_OBJECT

  public:
    explicit TableModel(Table& table, QObject* parent = nullptr);
    ~TableModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    void repaintAll();  // the colours after a change of the column selection

    void tableAboutToReset() override { beginResetModel(); }
    void tableReset() override { endResetModel(); }
    void headerChanged(int column) override { emit headerDataChanged(Qt::Horizontal, column, column); }
    void cellsChanged(int r0, int r1, int c0, int c1) override {
        emit dataChanged(index(r0, c0), index(r1, c1));
    }
    void rowsAboutToBeRemoved(int first, int count) override {
        beginRemoveRows({}, first, first + count - 1);
    }
    void rowsRemoved(int, int) override { endRemoveRows(); }
    void rowsAboutToBeInserted(int first, int count) override {
        beginInsertRows({}, first, first + count - 1);
    }
    void rowsInserted(int, int) override { endInsertRows(); }
    void columnsAboutToBeRemoved(int first, int count) override {
        beginRemoveColumns({}, first, first + count - 1);
    }
    void columnsRemoved(int, int) override { endRemoveColumns(); }
    void columnsAboutToBeInserted(int first, int count) override {
        beginInsertColumns({}, first, first + count - 1);
    }
    void columnsInserted(int, int) override { endInsertColumns(); }
    void rowSelectionChanged() override { emit rowSelectionFollows(); }

  signals:
    void rowSelectionFollows();

  private:
    Table& table_;
};

class SetFileDialog : public QDialog {
    Q_OBJECT

  public:
    SetFileDialog(QWidget* owner, Table& table);

    QTableView* view() const { return view_; }

  public slots:
    void reject() override;  // Esc, the close command: asks first when edits are not saved

  protected:
    void keyPressEvent(QKeyEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void moveEvent(QMoveEvent* e) override;

  private:
    void load();
    void updateButtons();
    void applyWidths();
    void viewSelectionChanged();
    void tableSelectionChanged();
    void afterEdit();
    void graph();
    void save();
    void undo();

    Table& table_;
    TableModel* model_;
    QTableView* view_;
    QPushButton *move_, *merge_, *deleteColumn_, *deleteItem_, *graph_, *separator_;
    QRadioButton *formatA_, *formatB_;
    bool syncing_ = false;
};

}  // namespace vx::postproc

// The window's last position (x, y), kept while the program runs.
extern int32_t PosWin3[2];

// Opens the post-processing window modally over `owner` on the data record file named
// DataTimeSS (InfoSES giving its size), as the main window and quick mode do.
void runPostProcessing(QWidget* owner);
