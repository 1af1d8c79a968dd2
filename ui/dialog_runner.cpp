#include "ui/dialog_runner.h"

namespace DialogRunner {

namespace {
Driver g_driver;
}

int run(QDialog &dialog)
{
    if (g_driver) {
        dialog.show();
        const int result = g_driver(dialog);
        dialog.hide();
        return result;
    }
    return dialog.exec();
}

void install(Driver driver) { g_driver = std::move(driver); }

} // namespace DialogRunner
