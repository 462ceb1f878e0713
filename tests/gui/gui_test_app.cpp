#include "gui_test_app.h"

namespace kelvaron::test {

QApplication& GuiApp() {
    static int argc = 1;
    static char name[] = "kelvaron-gui-test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

}  // namespace kelvaron::test

// Fontconfig keeps font patterns in caches it never frees; sanitizer builds
// would report them as leaks of every program that draws text.
extern "C" __attribute__((used, visibility("default"))) const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
