// Draws the window as a user sees it into a PNG:
//   kiv_window_shot <out.png> [--confirmed]
// --confirmed shows the default hood confirmed as pattern type 3.
#include "app/Messages.h"
#include "app/TQMRZL.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPixmap>
#include <QTabWidget>
#include <QTemporaryDir>

#include <cstdio>

namespace {

class SilentMessages : public Messages {
public:
    void show(Kind, const QString&, const QString& text) override {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
    }
};

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty() || args.size() > 2 || (args.size() == 2 && args[1] != "--confirmed")) {
        std::fprintf(stderr, "usage: kiv_window_shot <out.png> [--confirmed]\n");
        return 2;
    }
    const QString out = QFileInfo(args[0]).absoluteFilePath();

    // The window reads its settings from the working folder; give it its own.
    QTemporaryDir dir;
    if (!dir.isValid() || !QDir::setCurrent(dir.path()))
        return 1;
    QFile settings(QStringLiteral("Kiv_ini.txt"));
    if (!settings.open(QIODevice::WriteOnly) || settings.write("4133\r\n") != 6)
        return 1;
    settings.close();

    SilentMessages messages;
    TForm1 form(messages, QStringLiteral("Kiv_tqmrzl"));
    form.show();
    form.activateWindow();
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents();

    if (args.size() == 2) {
        form.PageControl1->setCurrentIndex(2);
        form.ImageAllDblClick();
        QCoreApplication::processEvents();
    }
    if (!form.grab().save(out)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(out));
        return 1;
    }
    return 0;
}
