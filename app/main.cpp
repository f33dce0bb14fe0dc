#include "app/Messages.h"
#include "app/TQMRZL.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    BoxMessages boxes;
    TForm1 window(boxes, ProgramTitle(QCoreApplication::applicationFilePath()));
    window.show();
    return app.exec();
}
