#include "app/Messages.h"
#include "app/QtTranslations.h"
#include "app/StartOptions.h"
#include "app/TQMRZL.h"
#include "core/Version.h"
#include "input/SaveFile.h"
#include "input/UserFolder.h"

#include <QApplication>
#include <QDir>
#include <QFile>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

// Started from the desktop menu: move into the user's own working folder,
// making it on the first start. If that fails the user is told why and the
// program goes on in the folder it was started in.
void EnterUserFolder(Messages& messages, const QString& title) {
    QFile defaults(QStringLiteral(":/Kiv_ini.txt"));
    const QByteArray settings =
        defaults.open(QIODevice::ReadOnly) ? defaults.readAll() : QByteArray();
    const std::filesystem::path home(QFile::encodeName(QDir::homePath()).toStdString());
    const kiv::UserFolder folder = kiv::PrepareUserFolder(
        home, std::string_view(settings.constData(), static_cast<size_t>(settings.size())));
    std::string why = folder.error;
    std::error_code ec;
    if (why.empty()) {
        std::filesystem::current_path(folder.path, ec);
        if (ec)
            why = "Не удалось перейти в папку " + folder.path.string() + ": " +
                  kiv::SystemCause(ec.value());
    }
    if (!why.empty())
        messages.show(Messages::Kind::Error, title,
                      QString::fromStdString(why) +
                          QStringLiteral("\rПрограмма работает в папке ") + QDir::currentPath());
}

} // namespace

int main(int argc, char* argv[]) {
    // Answered before any window system is touched, so they work without a display.
    const StartOptions options = ParseStartOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (options.help) {
        std::fputs(StartUsage().c_str(), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("Kiv_TQMRZL %.*s\n", static_cast<int>(kiv::kVersion.size()),
                    kiv::kVersion.data());
        return 0;
    }

    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral(KIV_APP_ID));
    InstallQtTranslations(app);
    BoxMessages boxes;
    const QString title = ProgramTitle(QCoreApplication::applicationFilePath());
    if (options.userFolder)
        EnterUserFolder(boxes, title);
    TForm1 window(boxes, title);
    window.show();
    // Ask for the input focus: the settings are read at the first activation,
    // and without a window manager (a bare X server) nothing else activates us.
    window.activateWindow();
    return app.exec();
}
