#pragma once
// The main window (dialog 200): the session report, the sample time with Start, clock
// sync, sample timer, monitor, the board's four alarms, and the Alt service keys.

#include <QDialog>
#include <array>
#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace vx::ui::qt {
class PartStatusBar;
}

namespace vx::boards {
struct BoardConfigLinks;
}

namespace vx::shell {

// The windows the board configuration window opens: the display boards' window.
vx::boards::BoardConfigLinks boardConfigLinks();

// The windows the main window opens; the defaults are the program's own.
struct MainWindowLinks {
    std::function<void(QWidget*)> postProcessing;
    std::function<void(QWidget*)> sampleTimer;
    std::function<void(QWidget*)> monitor;
    std::function<void(QWidget*)> inverterDetails;  // with ComReg2 as "Details" read it
    std::function<void(QWidget*)> gsmField;         // Alt+g
    std::function<void(QWidget*)> boardConfig;      // Alt+z on a VT71 or NOD85
    std::function<void(QWidget*)> displayBoard;     // Alt+z on a QM42: its display board
    static MainWindowLinks defaults();
};

class MainWindow : public QDialog {
    Q_OBJECT

  public:
    explicit MainWindow(MainWindowLinks links = MainWindowLinks::defaults(), QWidget* parent = nullptr);
    ~MainWindow() override;

    // What the window does when it opens: reads the session and writes the report.
    void openSequence();

    QPlainTextEdit* reportBox() const { return report_; }
    // The board's ComReg2 word as the Details button read it (bytes 19 and 20 of the image).
    uint16_t detailsComReg2() const { return uint16_t(comReg2_[0] | (comReg2_[1] << 8)); }

    // The Alt service keys, one lower-case letter each; true when the letter is a command.
    bool serviceKey(char letter);
    void rewriteReport();

  protected:
    void keyPressEvent(QKeyEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void reject() override {}  // Escape does nothing; Exit and the close box end the window

  private:
    struct AlarmRow {
        QPushButton* reset;
        QLabel* lamp;
        QLabel* text;
        uint8_t stateBit, smsBit;
    };
    enum AlarmRowId { RowInverter, RowEfficiency, RowBurglar, RowAuxiliaries };

    void buildControls();
    void status(int part, const char* text);
    void sampleTimeNotified();
    void start();
    void keepRawToggled(bool on);
    void clockSyncClicked();
    void sampleTimerClicked();
    void monitorClicked();
    void alarmResetClicked(int row);
    void detailsClicked();
    void boardConfigKey();
    void showAlarms();
    void hideBoardRows();

    MainWindowLinks links_;
    QPlainTextEdit* report_ = nullptr;
    QLineEdit* sample_ = nullptr;
    QPushButton* start_ = nullptr;
    QCheckBox* keepRaw_ = nullptr;  // "Keep raw data": the download also keeps the raw archive
    QPushButton* satmr_ = nullptr;
    QPushButton* details_ = nullptr;
    QLabel* verbose_ = nullptr;
    vx::ui::qt::PartStatusBar* statusBar_ = nullptr;
    std::array<AlarmRow, 4> alarms_{};
    uint8_t comReg2_[2] = {0, 0};
};

// Opens the main window modally and returns its result (1).
int runMainWindow();

}  // namespace vx::shell
