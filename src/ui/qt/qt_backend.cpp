#include "ui/qt/qt_backend.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QStatusBar>
#include <QTextEdit>

#include "ui/qt/controls.h"
#include "ui/qt/input_dialog.h"
#include "ui/qt/wait_dialog.h"

namespace vx::ui::qt {
namespace {

QWidget* widget(WindowHandle h) {
    return static_cast<QWidget*>(h);
}

QMessageBox::Icon boxIcon(Icon icon) {
    switch (icon) {
        case Icon::Information:
            return QMessageBox::Information;
        case Icon::Warning:
            return QMessageBox::Warning;
        case Icon::Error:
            return QMessageBox::Critical;
        case Icon::Question:
            return QMessageBox::Question;
        case Icon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

struct ButtonSet {
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton escape;  // what closing the box answers
};

ButtonSet boxButtons(Buttons b) {
    switch (b) {
        case Buttons::Ok:
            return {QMessageBox::Ok, QMessageBox::Ok};
        case Buttons::YesNo:
            return {QMessageBox::Yes | QMessageBox::No, QMessageBox::No};
        case Buttons::YesNoCancel:
            return {QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Cancel};
        case Buttons::AbortRetryIgnore:
            return {QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore, QMessageBox::Abort};
    }
    return {QMessageBox::Ok, QMessageBox::Ok};
}

Answer toAnswer(int button) {
    switch (button) {
        case QMessageBox::Yes:
            return Answer::Yes;
        case QMessageBox::No:
            return Answer::No;
        case QMessageBox::Cancel:
            return Answer::Cancel;
        case QMessageBox::Abort:
            return Answer::Abort;
        case QMessageBox::Retry:
            return Answer::Retry;
        case QMessageBox::Ignore:
            return Answer::Ignore;
        default:
            return Answer::Ok;
    }
}

// "*.tel (phone book)" with "*.tel" as the dialog's filter "*.tel (phone book) (*.tel)":
// the toolkit takes the patterns from the last parentheses.
QStringList nameFilters(const FileDialogOptions& o) {
    QStringList list;
    for (const FileFilter& f : o.filters)
        list << toQ(f.description) + QStringLiteral(" (") + toQ(f.pattern) + ')';
    return list;
}

std::optional<std::string> runFileDialog(QWidget* owner, const FileDialogOptions& o, bool save) {
    QFileDialog dlg(owner);
    dlg.setObjectName(save ? QStringLiteral("SaveFileDialog") : QStringLiteral("OpenFileDialog"));
    dlg.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dlg.setFileMode(!save && o.mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    if (save && !o.askOverwrite) dlg.setOption(QFileDialog::DontConfirmOverwrite, true);
    QStringList filters = nameFilters(o);
    if (!filters.isEmpty()) dlg.setNameFilters(filters);
    QString ext = toQ(o.defaultExt);
    if (ext.startsWith('.')) ext.remove(0, 1);
    if (!ext.isEmpty()) dlg.setDefaultSuffix(ext);
    if (!o.initialName.empty()) dlg.selectFile(toQ(o.initialName));
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return std::nullopt;
    // A path goes to the file system as the platform encodes names, not as display text.
    return QFile::encodeName(dlg.selectedFiles().first()).toStdString();
}

}  // namespace

QtBackend::~QtBackend() {
    delete wait_.data();
}

Answer QtBackend::message(WindowHandle owner, const std::string& text, const std::string& caption, Icon icon,
                          Buttons buttons) {
    ButtonSet set = boxButtons(buttons);
    QMessageBox box(boxIcon(icon), toQ(caption), toQDisplay(text), set.buttons, widget(owner));
    box.setEscapeButton(set.escape);
    return toAnswer(box.exec());
}

std::optional<std::string> QtBackend::openFileName(WindowHandle owner, const FileDialogOptions& opts) {
    return runFileDialog(widget(owner), opts, false);
}

std::optional<std::string> QtBackend::saveFileName(WindowHandle owner, const FileDialogOptions& opts) {
    return runFileDialog(widget(owner), opts, true);
}

void QtBackend::showWait(WindowHandle owner, const std::string& text) {
    if (wait_) return;
    wait_ = new WaitDialog(widget(owner));
    wait_->setText(toQDisplay(text));
    wait_->show();
    centerOnParent(wait_, widget(owner));  // over the window that started the work
    QApplication::processEvents();         // paint it before the work starts
}

void QtBackend::setWaitText(const std::string& text) {
    if (wait_) wait_->setText(toQDisplay(text));
}

void QtBackend::setWaitBar(int percent) {
    if (wait_) wait_->setBar(percent);
}

void QtBackend::pollWait() {
    // The wait window is application-modal, so the events handled here reach only it.
    if (wait_) QApplication::processEvents();
}

void QtBackend::closeWait() {
    if (!wait_) return;
    WaitDialog* w = wait_;
    wait_ = nullptr;
    w->hide();
    if (w->handlingStop())
        w->deleteLater();  // closed from inside its own Stop click
    else
        delete w;
}

int QtBackend::inputDialog(InputKind kind, WindowHandle owner) {
    InputDialog dlg(kind, widget(owner));
    return dlg.run();
}

void QtBackend::appendText(WindowHandle box, const std::string& text) {
    QString t = toQ(text);
    t.remove(QLatin1Char('\r'));  // reports end their lines with "\r\n"
    if (auto* p = qobject_cast<QPlainTextEdit*>(widget(box))) {
        QTextCursor c(p->document());
        c.movePosition(QTextCursor::End);
        c.insertText(t);
    } else if (auto* e = qobject_cast<QTextEdit*>(widget(box))) {
        QTextCursor c(e->document());
        c.movePosition(QTextCursor::End);
        c.insertText(t);
    } else if (auto* l = qobject_cast<QLabel*>(widget(box))) {
        l->setText(l->text() + t);  // a one-line result written like a report
    }
}

void QtBackend::clearText(WindowHandle box) {
    if (auto* p = qobject_cast<QPlainTextEdit*>(widget(box)))
        p->clear();
    else if (auto* e = qobject_cast<QTextEdit*>(widget(box)))
        e->clear();
    else if (auto* l = qobject_cast<QLabel*>(widget(box)))
        l->clear();
}

void QtBackend::setStatus(WindowHandle window, int part, const std::string& text) {
    QWidget* w = widget(window);
    if (!w) return;
    // The parts are the status bar's labels "part0" and "part1".
    auto* bar = w->findChild<QStatusBar*>(QStringLiteral("ID_MAIN_STATUSBAR"));
    auto* label = bar ? bar->findChild<QLabel*>(QStringLiteral("part%1").arg(part)) : nullptr;
    if (label) label->setText(toQ(text));
}

void QtBackend::beep() {
    QApplication::beep();
}

QtBackend& installQtBackend() {
    static QtBackend b;
    setBackend(&b);
    return b;
}

}  // namespace vx::ui::qt
