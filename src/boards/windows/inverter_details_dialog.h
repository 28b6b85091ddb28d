#pragma once
// The inverter details window (dialog 2200, DlgDettagli): serial number, model and input
// powers of every inverter the board is set up for, with their total. The report is
// written once the window shows, and again on "Refresh"; closing reads the alarms again.

#include <QDialog>
#include <cstdint>

class QLabel;
class QPlainTextEdit;

namespace vx::boards {

class InverterDetailsDialog : public QDialog {
    Q_OBJECT

  public:
    // comReg2: the board image's ComReg2 word (inverter count and first address).
    InverterDetailsDialog(QWidget* owner, uint16_t comReg2);

    QPlainTextEdit* reportBox() const { return report_; }
    QLabel* totalLabel() const { return total_; }
    // Writes the report (the user decides on each inverter that does not answer).
    void refresh();
    // Reads the alarms again for the owner's lamps, then closes.
    void done(int r) override;

  protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

  private:
    uint16_t comReg2_;
    QPlainTextEdit* report_;
    QLabel* total_;          // the report writes its total into it
    bool reported_ = false;  // the report of the first paint is under way or done
};

// The whole window, modal over `owner` (the main window, whose alarm rows follow).
void DlgDettagli(QWidget* owner, uint16_t comReg2);

}  // namespace vx::boards
