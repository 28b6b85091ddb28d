#pragma once
// Small helpers shared by the desktop windows: text conversion at the toolkit's edge,
// placement, enabling and disabling controls by name, and the two-part status bar.

#include <QLabel>
#include <QStatusBar>
#include <QString>
#include <string>

class QWidget;
class QPushButton;
class QGroupBox;

namespace vx::ui::qt {

// Controls are found by their documented names (ID_BTN_START): object name = that name.
template <class W>
W* named(W* w, const char* name) {
    w->setObjectName(QString::fromLatin1(name));
    return w;
}
// A push button that Enter does not press by itself.
QPushButton* makeButton(QWidget* parent, const char* name, const char* text);
// A group frame; its caption colour comes from the window's style sheet.
QGroupBox* makeGroup(QWidget* parent, const char* name, const char* title);

// The program's Windows-1252 text to the toolkit and back ("\r\n" becomes "\n" for display).
QString toQ(const std::string& cp1252);
QString toQDisplay(const std::string& cp1252);
std::string fromQ(const QString& s);

// Places w at the centre of the primary screen, or of parent's frame (integer division).
void centerOnScreen(QWidget* w);
void centerOnParent(QWidget* w, QWidget* parent);

// A status bar with two parts: the first of a fixed width, the second to the right edge.
class PartStatusBar : public QStatusBar {
    Q_OBJECT

  public:
    PartStatusBar(QWidget* parent, int firstWidth);
    void setPart(int part, const QString& text);
    QString part(int part) const;

  private:
    QLabel* parts_[2];
};

}  // namespace vx::ui::qt

// Enables the control `name` of dialog dlg; 1 when it was disabled before, else 0.
int enable_cntr(QWidget* dlg, const char* name);
// Disables it, first moving the keyboard focus on as the Tab key would if it had it.
int disable_cntr(QWidget* dlg, const char* name);
