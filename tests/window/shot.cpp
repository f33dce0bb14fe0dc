// Draws the window as a user sees it into a PNG:
//   kiv_window_shot <out.png> [--confirmed | --pattern | --hood3d]
// --confirmed shows the default hood confirmed as pattern type 3; --pattern
// and --hood3d draw that pattern's view windows instead of the main window.
#include "app/HoodView3D.h"
#include "app/Messages.h"
#include "app/PatternView.h"
#include "app/TQMRZL.h"
#include "tests/support/settings_folder.h"

#include <QApplication>
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
    const QStringList modes = {QStringLiteral("--confirmed"), QStringLiteral("--pattern"),
                               QStringLiteral("--hood3d")};
    if (args.isEmpty() || args.size() > 2 || (args.size() == 2 && !modes.contains(args[1]))) {
        std::fprintf(stderr, "usage: kiv_window_shot <out.png> [--confirmed | --pattern | --hood3d]\n");
        return 2;
    }
    const QString mode = args.size() == 2 ? args[1] : QString();
    const QString out = QFileInfo(args[0]).absoluteFilePath();

    // The window reads its settings from the working folder; give it its own.
    const QTemporaryDir dir;
    if (!kiv::test::EnterSettingsFolder(dir))
        return 1;

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
    QWidget* shown = &form;
    if (mode == QStringLiteral("--pattern")) {
        form.PatternViewClick();
        shown = form.findChild<PatternWindow*>();
    } else if (mode == QStringLiteral("--hood3d")) {
        form.HoodView3DClick();
        shown = form.findChild<HoodWindow3D*>();
    }
    if (shown == nullptr)
        return 1;
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents();
    if (!shown->grab().save(out)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(out));
        return 1;
    }
    return 0;
}
