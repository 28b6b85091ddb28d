#pragma once
// Quick mode (dialog 500, DialogQuick): a session of a saved flash image chosen, its
// first and last page checked in the page viewer (dialog 600, DialogPage), and converted
// into the data record file for the post-processing; or a saved output table opened.

#include <QDialog>
#include <cstdint>
#include <functional>

#include "quick/quick_mode.h"

class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;

namespace vx::ui::qt {
class PartStatusBar;
}

namespace vx::quick {

// The windows and procedures quick mode hands over to; empty ones do nothing.
struct QuickLinks {
    std::function<int32_t()> loadFileTxt;          // a saved output table into the data record file
    std::function<void(QWidget*)> postProcessing;  // the post-processing window on that file
    std::function<void(QWidget*)> energyCheck;     // Alt+S: the energy-monitor check dialog
    static QuickLinks defaults();                  // the program's own
};
// The links runQuickMode uses (the program's own unless replaced).
QuickLinks& quickLinks();

class QuickDialog : public QDialog {
    Q_OBJECT

  public:
    QuickDialog(bool fileNamed, QuickLinks links, QWidget* parent = nullptr);

    QPlainTextEdit* reportBox() const { return report_; }
    // Alt+letter keys; true when the letter is a command.
    bool serviceKey(char letter);

  protected:
    void keyPressEvent(QKeyEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void reject() override {}  // Escape does nothing; Exit and the close box end the window

  private:
    void buildControls();
    void status(const char* text);
    void apply(const QuickControls& c);
    void loadClicked();
    void sessionChosen(int index);
    void sampleEdited();
    void pageClicked(int32_t pageType);
    void startClicked();
    void loadTxtClicked();
    void paintReport();

    bool fileNamed_;
    bool opened_ = false;
    QuickLinks links_;
    QComboBox* sessions_ = nullptr;
    QLineEdit* sample_ = nullptr;
    QPushButton* start_ = nullptr;
    QPushButton* first_ = nullptr;
    QPushButton* last_ = nullptr;
    QPlainTextEdit* report_ = nullptr;
    vx::ui::qt::PartStatusBar* statusBar_ = nullptr;
};

class PageDialog : public QDialog {
    Q_OBJECT

  public:
    explicit PageDialog(QWidget* parent);
    QPlainTextEdit* pageBox() const { return info_; }

  protected:
    void keyPressEvent(QKeyEvent* e) override;
    void showEvent(QShowEvent* e) override;

  private:
    void showPage(uint16_t page, bool fromEntry);
    void entered();

    QPlainTextEdit* info_ = nullptr;
    QLineEdit* page_ = nullptr;
    QSpinBox* spin_ = nullptr;
};

// Runs quick mode modally over `owner` (null at start-up); fileNamed: a data file was
// named on the command line, so only "Load file .txt" is offered and it runs at once.
// Returns 1 when the window ends.
int runQuickMode(QWidget* owner, bool fileNamed);

}  // namespace vx::quick
