// The window on Windows.
#include "core/system.h"
#include "win32/converter.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show) {
    // No system box for a drive without a disk: the drive list says so itself.
    tcc::QuietSystemErrors();
    tcc::win32::Converter window;
    window.Show(show);
    return window.Run();
}
