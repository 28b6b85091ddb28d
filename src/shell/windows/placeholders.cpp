#include "shell/windows/placeholders.h"

#include <QWidget>

#include "ui/backend.h"

namespace vx::shell {

void notAvailable(QWidget* owner, const char* what) {
    vx::ui::message(owner, vx::ui::format("The %s is not available yet in this version.", what), "Info",
                    vx::ui::Icon::Information);
}

}  // namespace vx::shell
