// The command-line face of the program: `kiv calc` for one hood, `kiv batch`
// for an order of them. Messages are in Russian like the window's; option
// names are in Latin letters.
#include "cli/Batch.h"
#include "cli/Calc.h"
#include "cli/Common.h"
#include "cli/Nest.h"
#include "core/Version.h"
#include "export/Paper.h"
#include "input/Conversion.h"
#include "input/SaveFile.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <iostream>
#include <limits>
#include <list>
#include <map>
#include <optional>
#include <sstream>
#include <vector>

namespace {

using kiv::cli::kRefused;

// What follows `marker` in `text` up to `end` (to the text's end when `end`
// is empty or not there); empty when `marker` is not there.
std::string Between(const std::string& text, const std::string& marker,
                    const std::string& end = "") {
    const std::size_t from = text.find(marker);
    if (from == std::string::npos)
        return "";
    const std::size_t start = from + marker.size();
    const std::size_t to = end.empty() ? std::string::npos : text.find(end, start);
    return text.substr(start, to == std::string::npos ? std::string::npos : to - start);
}

// The option a message of the form "NAME: what went wrong" is about.
std::string NameBefore(const std::string& text, const std::string& end) {
    const std::size_t at = text.find(end);
    return at == std::string::npos ? "" : text.substr(0, at);
}

std::string QuotedValue(const std::string& value) {
    return "'" + value + "'";
}

// Why a value is no value of a number option: the reader's verdict on it.
std::string NotANumber(const std::string& value) {
    const std::optional<double> number = kiv::TextToFloat(value);
    if (!number)
        return QuotedValue(value) + " — не число";
    if (*number < 0)
        return QuotedValue(value) + " — нужно число не меньше нуля";
    if (*number != std::floor(*number))
        return QuotedValue(value) + " — нужно целое число";
    return QuotedValue(value) + " — слишком большое число";
}

// The words the command line has left over, in the order typed: unknown
// options apart from stray values. At the top, before any verb, the first
// stray word is a verb the command does not know.
std::string ExtrasText(const std::string& list, bool atTop) {
    std::vector<std::string> words;
    std::istringstream in(list);
    for (std::string w; in >> w;)
        words.push_back(w);
    // CLI11 lists them last first.
    std::reverse(words.begin(), words.end());
    std::vector<std::string> options, values;
    for (const std::string& w : words) {
        const bool option = w.size() > 1 && w[0] == '-' && !kiv::TextToFloat(w);
        (option ? options : values).push_back(w);
    }
    std::vector<std::string> parts;
    if (atTop && options.empty() && !values.empty()) {
        return "неизвестная команда " + QuotedValue(values[0]) + " (есть calc, batch и nest)";
    }
    const auto join = [](const std::vector<std::string>& items, bool quoted) {
        std::string text;
        for (const std::string& item : items)
            text += (text.empty() ? "" : ", ") + (quoted ? QuotedValue(item) : item);
        return text;
    };
    if (!options.empty())
        parts.push_back((options.size() == 1 ? "неизвестный параметр " : "неизвестные параметры ") +
                        join(options, false));
    if (!values.empty())
        parts.push_back((values.size() == 1 ? "лишнее слово в командной строке: "
                                            : "лишние слова в командной строке: ") +
                        join(values, true));
    std::string text = parts.empty() ? "лишние слова в командной строке" : parts[0];
    if (parts.size() > 1)
        text += "; " + parts[1];
    return text;
}

// CLI11's own messages are English: the user reads what went wrong in
// Russian, built from the kind of the error and the option and value its
// text names. `cmd` is the verb being read (the command itself at the top).
std::string RussianError(const CLI::ParseError& e, const CLI::App& cmd, bool atTop) {
    const std::string text = e.what();
    const auto option = [&](const std::string& name) -> const CLI::Option* {
        return name.empty() ? nullptr : cmd.get_option_no_throw(name);
    };
    if (dynamic_cast<const CLI::RequiredError*>(&e) != nullptr) {
        const std::string name = NameBefore(text, " is required");
        if (name == "ORDERS")
            return "не задан файл заказа";
        return name.empty() || name.find(' ') != std::string::npos
                   ? "не задан обязательный параметр"
                   : "не задан обязательный параметр " + name;
    }
    if (dynamic_cast<const CLI::ExtrasError*>(&e) != nullptr) {
        return ExtrasText(Between(text, "expected: "), atTop);
    }
    if (dynamic_cast<const CLI::ArgumentMismatch*>(&e) != nullptr) {
        std::string name = Between(text, "arguments to ", ", got");
        if (name.empty())
            name = NameBefore(text, ":");
        if (name.empty())
            name = NameBefore(text, " was given");
        const bool none =
            text.find(" missing") != std::string::npos || text.find(", got 0") != std::string::npos;
        if (text.find("flag override") != std::string::npos)
            return "параметр " + name + " не принимает значения";
        return none ? "у параметра " + name + " нет значения"
                    : "у параметра " + name + " не то число значений";
    }
    if (dynamic_cast<const CLI::ConversionError*>(&e) != nullptr) {
        if (text.starts_with("Could not convert: ")) {
            const std::string name = Between(text, "Could not convert: ", " = ");
            return "параметр " + name + ": " + NotANumber(Between(text, " = "));
        }
        if (text.starts_with("The value ")) {
            return "параметр " + Between(text, " value for ") + ": недопустимое значение " +
                   QuotedValue(Between(text, "The value ", " is not"));
        }
        return "параметр " + NameBefore(text, ":") + " не принимает значения";
    }
    if (dynamic_cast<const CLI::ValidationError*>(&e) != nullptr) {
        const std::string name = NameBefore(text, ":");
        std::string value;
        if (const CLI::Option* o = option(name); o != nullptr && !o->results().empty())
            value = " " + QuotedValue(o->results().back());
        if (name == "--type")
            return "параметр --type: недопустимое значение" + value + " (допустимы 1, 2 и 3)";
        // The program's own checks say what is wanted in Russian; CLI11's own say it in English.
        const std::size_t colon = text.find(": ");
        const std::string said = colon == std::string::npos ? std::string() : text.substr(colon + 2);
        if (std::any_of(said.begin(), said.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; }))
            return "параметр " + name + ": " + said;
        return "параметр " + name + ": недопустимое значение" + value;
    }
    if (dynamic_cast<const CLI::RequiresError*>(&e) != nullptr) {
        return "параметр " + NameBefore(text, " requires ") + " задается только вместе с " +
               Between(text, " requires ");
    }
    if (dynamic_cast<const CLI::ExcludesError*>(&e) != nullptr) {
        return "параметры " + NameBefore(text, " excludes ") + " и " + Between(text, " excludes ") +
               " нельзя задавать вместе";
    }
    return "ошибка в командной строке";
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
CLI::Validator WholeNumber(const std::string& what, std::uint64_t most) {
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
                          "Файл заказа CSV (UTF-8 или Windows-1251, запятая или точка с запятой); колонки "
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
    // An option whose number is read from its text after the parse.
    struct Measure {
        const char* name;
        double* value;
        std::string text;
        CLI::Option* option;
    };
    std::list<Measure> measures; // the options keep pointers to the texts

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
        // Lengths and times are taken as text and read by the program's own
        // parser: CLI11's conversion follows the locale.
        const auto measure = [&](const char* name, double& value, const char* help) {
            Measure& m = measures.emplace_back(Measure{name, &value, {}, nullptr});
            m.option = cmd->add_option(name, m.text, help)->type_name("ЧИСЛО");
            return m.option;
        };
        measure("--coil", options.coil, "Рулон этой ширины, мм, вместо листов (не вместе с --sheet)")
            ->each([this](const std::string&) { options.coilGiven = true; });
        measure("--gap", options.gap, "Зазор между деталями, мм (по умолчанию 5)");
        measure("--margin", options.margin, "Поле до края листа, мм (по умолчанию 10)");
        cmd->add_option("--turns", options.turns,
                        "Повороты: 90 — на четверть оборота (по умолчанию), 180 — только на "
                        "пол-оборота, или шаг в градусах не меньше 1");
        measure("--time", options.time,
               "Предел времени всего раскроя, с (по умолчанию 10; результат задают шаги)");
        number("--iterations", options.iterations, "Шагов улучшения раскроя (по умолчанию 300)");
        number("--seed", options.seed,
               "Начальное число поиска, целое от 0 до 18446744073709551615 (по умолчанию 1)")
            ->check(WholeNumber("начальное число", std::numeric_limits<std::uint64_t>::max()));
    }

    int run() {
        for (const Measure& m : measures) {
            if (m.option->count() == 0) {
                continue;
            }
            const std::optional<double> value = kiv::TextToFloat(m.text, kiv::DecimalSign::PointOrComma);
            if (!value) {
                std::cerr << "kiv: параметр " << m.name << ": нужно число, а не '" << m.text << "'\n";
                return kRefused;
            }
            *m.value = *value;
        }
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
        // The help of the verb being read, where the user's mistake is
        // explained.
        const CLI::App* cmd = &app;
        std::string help = "kiv --help";
        for (const CLI::App* verb : {calc.cmd, batch.cmd, nest.cmd}) {
            if (verb->parsed()) {
                cmd = verb;
                help = "kiv " + verb->get_name() + " --help";
            }
        }
        std::cerr << "kiv: " << RussianError(e, *cmd, cmd == &app) << "\nСправка: " << help << "\n";
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
    } catch (const std::bad_alloc&) {
        std::cerr << "kiv: ошибка программы: не хватает памяти\n";
    } catch (const std::filesystem::filesystem_error& e) {
        std::cerr << "kiv: ошибка программы: " << e.path1().string() << ": "
                  << kiv::SystemCause(e.code().value()) << "\n";
    } catch (const std::exception&) {
        // The libraries' own texts are English.
        std::cerr << "kiv: ошибка программы\n";
    } catch (...) {
        std::cerr << "kiv: ошибка программы\n";
    }
    return kiv::cli::kFileFailed;
}
