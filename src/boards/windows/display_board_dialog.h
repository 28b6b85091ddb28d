#pragma once
// The display board window (dialog 1500, DlgVT71hcfg): the parameters of display CodeD
// behind the host board, read from it at opening, written with "Write", kept with "Save";
// defaults, reset and the service keys Alt+X, Alt+O and Alt+C (clock tuning).

#include <QDialog>
#include <array>

#include "boards/display_rules.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

namespace vx::boards {

class DisplayBoardDialog : public QDialog {
    Q_OBJECT

  public:
    explicit DisplayBoardDialog(QWidget* owner);

    // What the window does before it shows: looks for the board, lays the window out for
    // its family and reads the record. False (the user told) when the window must not open.
    bool load();

    // Alt+letter (either case); true when the letter is a command of this family.
    bool serviceKey(char letter);

  protected:
    void showEvent(QShowEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

  private:
    void fill();         // the controls from the record (print_VT71h)
    void paintErrors();  // red edits for the entries out of range
    void edited(int i);
    void comboChanged(QComboBox* combo);
    void checkClicked(DisplayCheck which, bool on);
    void read();
    void write();
    void save();
    void restoreDefaults();
    void reset();
    void comError();

    std::array<QLineEdit*, PARCFGH_N> edits_{};  // in the order of Parcfgh
    QComboBox *baud_, *titleColour_, *numberColour_, *mode_;
    QCheckBox *displayOff_, *autoBright_, *blinking_, *nightOff_, *scanOff_;
    QLabel *label1503_, *digitRange_, *baudLabel_, *titleColourLabel_, *modeLabel_, *scanLabel_, *scanUnit_;
    bool filling_ = false;
};

// The whole window for display CodeD, modal over `owner`.
void DlgVT71hcfg(QWidget* owner);

}  // namespace vx::boards
