#pragma once
// The energy-monitoring board's configuration window (dialog 1400, DlgVT71cfg): the
// parameter image read from the board, edited, written back and saved, the display boards
// set up, the board commands, and the parameter file. The same window in checklist mode
// (DlgVT71chk) shows a parameter file offline with the board commands disabled.

#include <QDialog>
#include <functional>

#include "boards/board_choices.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace vx::boards {

// The windows the configuration window hands over to.
struct BoardConfigLinks {
    std::function<void(QWidget*)> firmwareLoader;            // "Firmware Updating"
    std::function<void(QWidget*, int code)> displayDetails;  // "Details": the display board window
};

class BoardConfigDialog : public QDialog {
    Q_OBJECT

  public:
    enum class Mode { Configuration, Checklist };
    BoardConfigDialog(Mode mode, BoardConfigLinks links, QWidget* owner);

    // What the window does as it opens: the image read from the board (checklist: from a
    // parameter file) and shown. False, the user told, when the window must close at once.
    bool initialise();

  protected:
    void showEvent(QShowEvent* e) override;

  private:
    // Layout (board_config_layout.cpp).
    void buildControls();
    QComboBox* addCombo(const char* name, const ChoiceList& list);

    // Showing the image.
    void fill();                   // every control from EE
    void applySource(int source);  // the controls the data source needs
    void applyRestrictions();      // what the board or the mode does not have
    void setDisplayCaptions();     // by quaterna and mode
    void showState();              // name and colour of the operating state
    void paintError(QLineEdit* edit, bool error);
    void enableWrite();

    // Edits, combos and boxes.
    void parameterEdited(int index);
    void phoneEdited();
    void afterEdit(bool passed);
    void comboChosen(QComboBox* combo);
    void displayChosen(int k);
    void optionBoxClicked(QCheckBox* box, uint16_t bit);
    void auxDataClicked();
    void quaternaClicked();

    // Buttons.
    void readClicked();
    void writeClicked();
    void saveClicked();
    void defaultClicked();
    void resetClicked();
    void remoteClicked(int which);
    void firmwareClicked();
    void detailsClicked(int k);
    void fileSaveClicked();
    void fileReadClicked();
    bool showReadFileResult(int result);  // the messages of a file read; true when loaded

    void comError();

    Mode mode_;
    BoardConfigLinks links_;
    QLineEdit* edits_[12] = {};  // by parameter index, 1..11
    QLineEdit* phone_ = nullptr;
    QComboBox *source_ = nullptr, *baud_ = nullptr, *proto_ = nullptr, *alaInv_ = nullptr, *meteo_ = nullptr,
              *nodeAdd_ = nullptr, *alaEtag_ = nullptr;
    QComboBox* displays_[4] = {};  // group k shows display quaterna + k
    QGroupBox* displayGroups_[4] = {};
    QPushButton* details_[4] = {};
    QCheckBox *alAux_ = nullptr, *autoOff_ = nullptr, *energy100_ = nullptr, *auxData_ = nullptr,
              *quaterna_ = nullptr;
    QLabel* state_ = nullptr;
};

// The configuration window, modal over `owner`.
void DlgVT71cfg(QWidget* owner, const BoardConfigLinks& links);
// The checklist view of a parameter file, modal over `owner`.
void DlgVT71chk(QWidget* owner, const BoardConfigLinks& links);

}  // namespace vx::boards
