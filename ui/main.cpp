#include <QApplication>

#include "ui/converter.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarnel Cache Converter"));
    QApplication::setDesktopFileName(QStringLiteral("tarnel-cache-converter"));
    // The program ends once neither window is open.
    QApplication::setQuitOnLastWindowClosed(true);

    tcc::Converter converter;
    converter.show();
    return app.exec();
}
