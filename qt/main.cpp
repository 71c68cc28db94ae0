#include <QApplication>

#include "form/layout.h"
#include "qt/converter.h"
#include "qt/draw_layout.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarnel Cache Converter"));
    QApplication::setDesktopFileName(QStringLiteral("tarnel-cache-converter"));
    QApplication::setFont(tcc::FontOf(tcc::kProgramFont));
    // The form ends the program once neither window is open.
    QApplication::setQuitOnLastWindowClosed(false);

    tcc::Converter converter;
    converter.show();
    return app.exec();
}
