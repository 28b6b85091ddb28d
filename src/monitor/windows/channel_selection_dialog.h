#pragma once
// The channel selection (dialog 1200, DlgSelCH, "Measurement channels"): the session's
// nodes and channels in a list where clicks choose up to eight channels to watch, the
// graph to open with them, and the export file of all channels.

#include <QDialog>
#include <functional>

#include "monitor/channel_selection.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace vx::monitor {

class ChannelSelectionDialog : public QDialog {
    Q_OBJECT

  public:
    // restartTimer: the monitor's timer goes on while the dialog is open.
    ChannelSelectionDialog(QWidget* owner, const std::function<void()>& restartTimer);
    ~ChannelSelectionDialog() override;

    QTableWidget* list() const { return list_; }
    // Clicks a cell as the mouse does (row and column of the list).
    void clickCell(int row, int column);

  protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void reject() override;  // Esc button, Escape key and the close box end the same way

  private:
    void openWith(const std::function<void()>& restartTimer);
    void fillList();
    void paintCells();
    void showExportState(bool exporting, const QString& elapsed);
    void periodEdited();
    void startClicked();

    QLineEdit* date_;
    QLineEdit* time_;
    QTableWidget* list_;
    QCheckBox* graph_;
    QCheckBox* graphCur_;
    QLineEdit* period_;
    QPushButton* start_;
    QLabel* elapsed_;
    GraphBoxes boxes_;
    bool closing_ = false;
};

// The whole dialog, modal over `owner`.
void DlgSelCH(QWidget* owner, const std::function<void()>& restartTimer);

}  // namespace vx::monitor
