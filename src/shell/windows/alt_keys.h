#pragma once
// The Alt service keys of the windows: the letter the user pressed with Alt.

#include <QKeyEvent>

namespace vx::shell {

// The letter of an Alt key press as typed (upper case with Shift), 0 for anything else.
inline char altLetter(const QKeyEvent* e) {
    if (!(e->modifiers() & Qt::AltModifier) || (e->modifiers() & Qt::ControlModifier)) return 0;
    QString t = e->text();
    if (t.size() == 1 && t[0].isLetter() && t[0].unicode() < 128) {
        if (e->modifiers() & Qt::ShiftModifier) t = t.toUpper();
        return char(t[0].unicode());
    }
    if (e->key() >= Qt::Key_A && e->key() <= Qt::Key_Z)
        return char((e->modifiers() & Qt::ShiftModifier ? 'A' : 'a') + (e->key() - Qt::Key_A));
    return 0;
}

}  // namespace vx::shell
