// The command-line face of the program: `kiv calc` for one hood, `kiv batch`
// for an order of them. Messages are in Russian like the window's; option
// names are in Latin letters.
#include "cli/Batch.h"
#include "cli/Calc.h"
#include "cli/Common.h"
#include "cli/Nest.h"
#include "core/Version.h"
#include "export/Paper.h"

#include <CLI/CLI.hpp>

#include <charconv>
#include <cstdint>
#include <iostream>
#include <limits>
#include <map>
#include <optional>

namespace {

using kiv::cli::kRefused;

// CLI11's own messages are English; the user reads what went wrong in
// Russian, with CLI11's text after it for the details.
std::string RussianError(const CLI::ParseError& e) {
    std::string what;
    if (dynamic_cast<const CLI::RequiredError*>(&e) != nullptr) {
        what = "не задан обязательный параметр";
    } else if (dynamic_cast<const CLI::ExtrasError*>(&e) != nullptr) {
        what = "лишние слова в командной строке";
    } else if (dynamic_cast<const CLI::ArgumentMismatch*>(&e) != nullptr) {
        what = "у параметра не то число значений";
    } else if (dynamic_cast<const CLI::ValidationError*>(&e) != nullptr ||
               dynamic_cast<const CLI::ConversionError*>(&e) != nullptr) {
        what = "недопустимое значение параметра";
    } else {
        what = "ошибка в командной строке";
    }
    return what + " (" + e.what() + ")";
}

// CLI11 lines its columns up by bytes; Cyrillic letters take two, so the
// help is padded here by characters.
class RussianFormatter : public CLI::Formatter {
public:
    std::string make_option(const CLI::Option* opt, bool positional) const override {
        const std::string name = "  " + make_option_name(opt, positional) + make_option_opts(opt);
        const std::string description = make_option_desc(opt);
        std::size_t chars = 0;
        for (char c : name) {
            chars += (static_cast<unsigned char>(c) & 0xC0) == 0x80 ? 0 : 1;
        }
        const std::size_t width = get_column_width();
        std::string line = name;
        if (chars >= width) {
            line += "\n" + std::string(width, ' ');
        } else {
            line += std::string(width - chars, ' ');
        }
        return line + description + "\n";
    }
};

void Russian(CLI::App& app) {
    app.formatter(std::make_shared<RussianFormatter>());
    auto f = app.get_formatter();
    f->label("Usage", "Использование");
    f->label("OPTIONS", "ПАРАМЕТРЫ");
    f->label("Options", "Параметры");
    f->label("SUBCOMMAND", "КОМАНДА");
    f->label("SUBCOMMANDS", "КОМАНДЫ");
    f->label("Subcommands", "Команды");
    f->label("Positionals", "Позиционные");
    f->label("REQUIRED", "ОБЯЗАТЕЛЬНО");
    f->label("TEXT", "ТЕКСТ");
    f->label("INT", "ЧИСЛО");
    f->label("UINT", "ЧИСЛО");
    f->label("Excludes", "Исключает");
    f->label("Needs", "Требует");
    f->column_width(34);
}

// A whole number from 0 to `most` written in decimal digits alone: CLI11
// would take "-1" for an unsigned option as its largest value and a number
// past the type's range as some other one, silently.
CLI::Validator WholeNumber(std::string what, std::uint64_t most) {
    return CLI::Validator(
        [what, most](std::string& text) {
            std::uint64_t value = 0;
            const char* end = text.data() + text.size();
            const auto [stop, error] = std::from_chars(text.data(), end, value);
            if (text.empty() || error != std::errc() || stop != end || value > most)
                return what + " — целое число от 0 до " + std::to_string(most) + ", а не '" +
                       text + "'";
            return std::string();
        },
        "", "");
}

// The options both verbs share: settings value and paper.
struct Shared {
    std::string osmode, paper = kiv::kPapers[0].name, orientation = kiv::kOrientations[0].name;
    CLI::Option* osmodeOption = nullptr;
};

void AddShared(CLI::App& cmd, Shared& s) {
    s.osmodeOption = cmd.add_option(
        "--osmode", s.osmode,
        "Значение OSMODE в конце сценария, целое от 0 до 32767 (иначе первая строка "
        "Kiv_ini.txt в текущей папке)");
    cmd.add_option("--paper", s.paper,
                   "Бумага шаблона PDF: " + kiv::PaperNames() + " (по умолчанию " +
                       kiv::kPapers[0].name + ")");
    cmd.add_option("--orientation", s.orientation,
                   "Ориентация листов: " + kiv::OrientationNames() + " (по умолчанию " +
                       kiv::kOrientations[0].name + " — как меньше листов)");
}

// The shared options as a verb takes them; false with the message on the
// terminal for a paper or orientation it does not know.
bool TakeShared(const Shared& s, bool& osmodeGiven, std::string& osmode,
                kiv::TemplateOptions& paper) {
    osmodeGiven = s.osmodeOption->count() > 0;
    osmode = s.osmode;
    std::string error;
    if (!kiv::cli::ParsePaper(s.paper, s.orientation, paper, error)) {
        std::cerr << "kiv: " << error << "\n";
        return false;
    }
    return true;
}

// The order file and the output folder, which `batch` and `nest` both need.
void AddOrderAndFolder(CLI::App& cmd, std::string& orders, std::string& out,
                       const char* ordersHelp, const char* outHelp) {
    cmd.add_option("ORDERS", orders, ordersHelp)->required()->type_name("ФАЙЛ");
    cmd.add_option("--out", out, outHelp)->required()->type_name("ПАПКА");
}

CLI::App* AddVerb(CLI::App& app, const char* name, const char* help) {
    CLI::App* v = app.add_subcommand(name, help);
    v->group("Команды");
    v->set_help_flag("-h,--help", "Показать справку и выйти");
    return v;
}

// The fields, each as the text a user types into it.
struct Field {
    const char* option;
    const char* help;
};
const Field kFields[] = {
    {"-H", "Высота зонта H, мм (по умолчанию 100)"},
    {"--L1", "Ширина зонта L1, мм (по умолчанию 200)"},
    {"--L2", "Длина зонта L2, мм (по умолчанию 400)"},
    {"-S", "Толщина материала S, мм (по умолчанию 0.5)"},
    {"--P1", "Припуск Р1 на фальц, мм, типы 2 и 3 (по умолчанию 3)"},
    {"--P2", "Припуск Р2 на фальц, мм, типы 2 и 3 (по умолчанию 2)"},
    {"-d", "Диаметр проволоки d, мм, тип 3 (по умолчанию 2)"},
};

// kiv calc
struct CalcVerb {
    CLI::App* cmd = nullptr;
    kiv::cli::CalcOptions options;
    Shared shared;
    std::map<std::string, std::string> fieldTexts;
    std::map<std::string, CLI::Option*> fieldOptions;
    std::string scr, dxf, pdf;
    CLI::Option* scrOption = nullptr;
    CLI::Option* dxfOption = nullptr;
    CLI::Option* pdfOption = nullptr;

    void add(CLI::App& app) {
        cmd = AddVerb(app, "calc", "Один зонт: тексты окна и файлы по запросу");
        cmd->add_option("--type", options.type,
                        "Тип развертки: 1 — без припусков, 2 — с припусками на фальц, 3 — с "
                        "припусками на фальц и проволоку")
            ->required()
            ->type_name("1|2|3")
            ->check(CLI::IsMember({1, 2, 3}).description(""));
        for (const Field& f : kFields) {
            fieldOptions[f.option] =
                cmd->add_option(f.option, fieldTexts[f.option], f.help)->type_name("ЧИСЛО");
        }
        AddShared(*cmd, shared);
        cmd->add_flag("--json", options.json, "Вывести один объект JSON вместо текстов");
        const auto fileOption = [&](const char* name, std::string& file, const char* help) {
            return cmd->add_option(name, file, help)->expected(0, 1)->type_name("[ФАЙЛ]");
        };
        scrOption =
            fileOption("--scr", scr, "Записать сценарий AutoCAD (по умолчанию — имя, как в окне)");
        dxfOption =
            fileOption("--dxf", dxf, "Записать чертеж DXF (по умолчанию — имя сценария с .dxf)");
        pdfOption = fileOption(
            "--pdf", pdf, "Записать шаблон 1:1 в PDF (по умолчанию — имя сценария с .pdf)");
    }

    int run() {
        for (const Field& f : kFields) {
            if (fieldOptions[f.option]->count() > 0) {
                options.fields.emplace_back(f.option, fieldTexts[f.option]);
            }
        }
        const auto take = [](const CLI::Option* option, const std::string& file,
                             std::optional<std::string>& wanted) {
            if (option->count() > 0) {
                wanted = file;
            }
        };
        take(scrOption, scr, options.scr);
        take(dxfOption, dxf, options.dxf);
        take(pdfOption, pdf, options.pdf);
        if (!TakeShared(shared, options.osmodeGiven, options.osmode, options.paper)) {
            return kRefused;
        }
        std::optional<kiv::cli::PaintSession> painting;
        if (options.pdf)
            painting.emplace();
        return kiv::cli::RunCalc(options);
    }
};

// kiv batch
struct BatchVerb {
    CLI::App* cmd = nullptr;
    kiv::cli::BatchOptions options;
    Shared shared;

    void add(CLI::App& app) {
        cmd = AddVerb(app, "batch", "Заказ из файла CSV: файлы и сводка в папке");
        AddOrderAndFolder(*cmd, options.orders, options.out,
                          "Файл заказа CSV (UTF-8, запятая или точка с запятой); колонки "
                          "type,H,L1,L2,S,P1,P2,d,qty,name в любом порядке",
                          "Папка для файлов и сводки summary.csv, summary.json");
        cmd->add_option("--formats", options.formats,
                        "Форматы через запятую: scr, dxf, pdf (по умолчанию scr,dxf)");
        cmd->add_option("--name", options.nameMask,
                        "Маска имен файлов из колонок, например '{name}_{L1}x{L2}x{H}' (по "
                        "умолчанию — имя сценария, как в окне)")
            ->type_name("МАСКА");
        cmd->add_flag("--strict", options.strict,
                      "Остановиться на первой ошибочной строке и ничего не записывать");
        cmd->add_option("-j,--jobs", options.jobs,
                        "Число потоков (по умолчанию — все ядра; больше, чем ядер, не бывает)")
            ->type_name("ЧИСЛО")
            ->check(WholeNumber("число потоков", std::numeric_limits<unsigned>::max()));
        AddShared(*cmd, shared);
    }

    int run() {
        if (!TakeShared(shared, options.osmodeGiven, options.osmode, options.paper)) {
            return kRefused;
        }
        std::optional<kiv::cli::PaintSession> painting;
        if (options.formats.find("pdf") != std::string::npos)
            painting.emplace();
        return kiv::cli::RunBatch(options);
    }
};

// kiv nest
struct NestVerb {
    CLI::App* cmd = nullptr;
    kiv::cli::NestOptions options;

    void add(CLI::App& app) {
        cmd = AddVerb(app, "nest", "Раскрой заказа на листах: DXF каждого листа, PDF и сводка");
        AddOrderAndFolder(*cmd, options.orders, options.out, "Файл заказа CSV, как для kiv batch",
                          "Папка для sheet-N.dxf, nest-sheets.pdf и сводки");
        cmd->add_option("--sheet", options.sheet,
                        "Лист ШИРИНАxДЛИНА, мм: 1250x2500 (по умолчанию), 1000x2000, 1500x3000 "
                        "или любой")
            ->each([this](const std::string&) { options.sheetGiven = true; });
        const auto number = [&](const char* name, auto& value, const char* help) {
            return cmd->add_option(name, value, help)->type_name("ЧИСЛО");
        };
        number("--coil", options.coil, "Рулон этой ширины, мм, вместо листов (не вместе с --sheet)")
            ->each([this](const std::string&) { options.coilGiven = true; });
        number("--gap", options.gap, "Зазор между деталями, мм (по умолчанию 5)");
        number("--margin", options.margin, "Поле до края листа, мм (по умолчанию 10)");
        cmd->add_option("--turns", options.turns,
                        "Повороты: 90 — на четверть оборота (по умолчанию), 180 — только на "
                        "пол-оборота, или шаг в градусах");
        number("--time", options.time,
               "Предел времени поиска, с (по умолчанию 10; результат задают шаги)");
        number("--iterations", options.iterations, "Шагов улучшения раскроя (по умолчанию 300)");
        number("--seed", options.seed,
               "Начальное число поиска, целое от 0 до 18446744073709551615 (по умолчанию 1)")
            ->check(WholeNumber("начальное число", std::numeric_limits<std::uint64_t>::max()));
    }

    int run() {
        const kiv::cli::PaintSession painting;
        return kiv::cli::RunNest(options);
    }
};

int Run(int argc, char** argv) {
    CLI::App app{"kiv — развертка прямоугольного зонта-пирамиды: размеры заготовки, радиусы "
                 "для разметки, файлы .scr, .dxf и шаблон 1:1 в PDF.",
                 "kiv"};
    Russian(app);
    app.option_defaults()->group("Параметры");
    app.set_help_flag("-h,--help", "Показать справку и выйти");
    bool version = false;
    app.add_flag("--version", version, "Показать версию программы и выйти");
    app.require_subcommand(0, 1);
    CalcVerb calc;
    calc.add(app);
    BatchVerb batch;
    batch.add(app);
    NestVerb nest;
    nest.add(app);

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        std::cerr << "kiv: " << RussianError(e) << "\nСправка: kiv --help\n";
        return kRefused;
    }
    if (version) {
        std::cout << "kiv " << kiv::kVersion << "\n";
        return kiv::cli::kDone;
    }
    if (calc.cmd->parsed()) {
        return calc.run();
    }
    if (batch.cmd->parsed()) {
        return batch.run();
    }
    if (nest.cmd->parsed()) {
        return nest.run();
    }
    std::cout << app.help();
    return kRefused;
}

} // namespace

int main(int argc, char** argv) {
    // Whatever the libraries throw ends in a message and status 1, never in
    // an abort with a core dump.
    try {
        return Run(argc, argv);
    } catch (const std::exception& e) {
        std::cerr << "kiv: ошибка программы: " << e.what() << "\n";
    } catch (...) {
        std::cerr << "kiv: ошибка программы\n";
    }
    return kiv::cli::kFileFailed;
}
