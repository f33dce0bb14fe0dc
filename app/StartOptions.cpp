#include "app/StartOptions.h"

StartOptions ParseStartOptions(const std::vector<std::string>& args) {
    StartOptions options;
    for (const std::string& arg : args) {
        if (arg == "--version")
            options.version = true;
        else if (arg == "--help" || arg == "-h")
            options.help = true;
        else if (arg == "--user-folder")
            options.userFolder = true;
        else if (arg == "--")
            break;
    }
    return options;
}

std::string StartUsage() {
    return "Использование: Kiv_TQMRZL [--user-folder] [параметры Qt]\n"
           "Расчет развертки зонта прямоугольного.\n"
           "\n"
           "  --user-folder  работать в папке ~/Kiv_TQMRZL; при первом запуске она\n"
           "                 создается с файлом настроек Kiv_ini.txt по умолчанию\n"
           "                 (так программу запускает меню рабочего стола)\n"
           "  --version      показать версию программы и выйти\n"
           "  --help         показать эту справку и выйти\n"
           "\n"
           "Без --user-folder программа работает в текущей папке: читает из нее\n"
           "Kiv_ini.txt и записывает в нее файлы развертки.\n";
}
