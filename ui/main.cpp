#include <QApplication>

#include "ui/converter.h"
#include "ui/look.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarnel Cache Converter"));
    QApplication::setDesktopFileName(QStringLiteral("tarnel-cache-converter"));
    // The windows are laid out to the pixel for a small 8-point interface
    // font; a desktop's larger one would cut the plain labels off.
    QApplication::setFont(tcc::ArialFont(8));
    // The program ends once neither window is open.
    QApplication::setQuitOnLastWindowClosed(true);

    tcc::Converter converter;
    converter.show();
    return app.exec();
}
