#include "cli/Batch.h"

#include "cli/Calc.h"
#include "cli/Common.h"
#include "cli/HoodJson.h"
#include "cli/Order.h"
#include "cli/SaveFile.h"
#include "cli/Summary.h"
#include "road/Road.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <iostream>
#include <mutex>
#include <set>
#include <sstream>
#include <thread>
#include <unistd.h>

namespace kiv::cli {

namespace {

// One row of the order on its way through.
struct Job : ConfirmedRow {
    const OrderRow* row = nullptr;
    std::vector<std::pair<std::string, std::string>> files; // format, name in the folder
    bool written = false;   // every file of the row is on the disk
};

const char* const kFormats[] = {"scr", "dxf", "pdf"};

std::string Trimmed(const std::string& s) {
    const std::size_t from = s.find_first_not_of(" \t");
    if (from == std::string::npos) {
        return "";
    }
    return s.substr(from, s.find_last_not_of(" \t") - from + 1);
}

// The option that names a column's field ("-H", "--L1" ...).
std::string OptionOfColumn(Column c) {
    const std::string name = ColumnName(c);
    return (name.size() == 1 ? "-" : "--") + name;
}

// The column of an input's cells: the one named as the input's option.
Column ColumnOf(Input in) {
    for (int c = 0; c < kColumns; ++c) {
        if (OptionOfColumn(static_cast<Column>(c)) == OptionOfInput(in)) {
            return static_cast<Column>(c);
        }
    }
    return kType;
}

std::string RowError(int line, const char* column, const std::string& message) {
    return "строка " + std::to_string(line) + ", колонка " + column + ": " + message;
}

std::string RowError(const Job& job, const char* column, const std::string& message) {
    return RowError(job.row->line, column, message);
}

// The mask's fields, "{name}", "{L1}" ..., replaced by the row's texts (an
// empty field cell by the text the hood was made with).
bool ExpandMask(const std::string& mask, const Job& job, std::string& name, std::string& error) {
    name.clear();
    for (std::size_t i = 0; i < mask.size(); ++i) {
        if (mask[i] != '{') {
            name += mask[i];
            continue;
        }
        const std::size_t close = mask.find('}', i);
        if (close == std::string::npos) {
            error = "в маске имени нет закрывающей скобки '}'";
            return false;
        }
        const std::string field = mask.substr(i + 1, close - i - 1);
        int column = 0;
        while (column < kColumns && field != ColumnName(static_cast<Column>(column))) {
            ++column;
        }
        if (column == kColumns) {
            error = "в маске имени неизвестное поле {" + field +
                    "} (допустимы {type} {H} {L1} {L2} {S} {P1} {P2} {d} {qty} {name})";
            return false;
        }
        const auto c = static_cast<Column>(column);
        Input in{};
        if (c == kType) {
            name += std::to_string(job.type);
        } else if (c == kQty) {
            name += std::to_string(job.qty);
        } else if (c != kName && InputOfOption(OptionOfColumn(c), job.type, in)) {
            name += job.texts[in];
        } else {
            name += Trimmed(job.row->cells[c]);
        }
        i = close;
    }
    return true;
}

// A name that stays inside the folder and names an ordinary file.
bool SafeName(const std::string& name) {
    return !name.empty() && name.size() <= 255 && name != "." && name != ".." &&
           name.find('/') == std::string::npos && name.find('\0') == std::string::npos;
}

// Runs `work(i)` for every i below `count` on `jobs` threads, calling
// `done()` after each.
template <class Work>
void OnAllCores(std::size_t count, unsigned jobs, Work&& work, std::atomic<std::size_t>& done) {
    std::atomic<std::size_t> next{0};
    const auto worker = [&] {
        for (std::size_t i = next++; i < count; i = next++) {
            work(i);
            ++done;
        }
    };
    std::vector<std::thread> threads;
    for (unsigned t = 1; t < jobs; ++t) {
        threads.emplace_back(worker);
    }
    worker();
    for (auto& t : threads) {
        t.join();
    }
}

// The progress bar on a terminal: rows done of all, rate, time left.
class Progress {
public:
    Progress(std::size_t total, const std::atomic<std::size_t>& done)
        : total_(total), done_(done), shown_(::isatty(STDERR_FILENO) == 1) {
        if (shown_) {
            thread_ = std::thread([this] { run(); });
        }
    }
    ~Progress() {
        if (shown_) {
            stop_ = true;
            thread_.join();
            draw();
            std::fputs("\n", stderr);
        }
    }

private:
    void run() {
        while (!stop_) {
            draw();
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
    }
    void draw() {
        const std::size_t done = done_;
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
        const double rate = seconds > 0 ? static_cast<double>(done) / seconds : 0;
        const double left = rate > 0 ? static_cast<double>(total_ - done) / rate : 0;
        constexpr int kWidth = 30;
        const int filled =
            total_ == 0 ? kWidth : static_cast<int>(kWidth * static_cast<double>(done) /
                                                    static_cast<double>(total_));
        std::fprintf(stderr, "\r[%s%s] %zu/%zu  %.0f шт/с  осталось %.0f с ",
                     std::string(static_cast<std::size_t>(filled), '#').c_str(),
                     std::string(static_cast<std::size_t>(kWidth - filled), '.').c_str(), done,
                     total_, rate, left);
    }

    std::size_t total_;
    const std::atomic<std::size_t>& done_;
    bool shown_;
    std::atomic<bool> stop_{false};
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
    std::thread thread_;
};

struct Totals {
    long hoods = 0;
    double area = 0; // blank area, mm^2
    double mass[3] = {};
    double wire = 0; // mm
};

} // namespace

bool LoadOrder(const std::string& path, Order& order) {
    std::ifstream in(path, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (!in.is_open() || in.bad()) {
        std::cerr << "kiv: не удалось прочитать файл заказа " << path << "\n";
        return false;
    }
    order = ReadOrder(bytes);
    if (!order.error.empty()) {
        std::cerr << "kiv: " << path << ", строка " << order.errorLine << ": " << order.error
                  << "\n";
        return false;
    }
    return true;
}

void ConfirmRow(const OrderRow& row, const std::string& osmode, ConfirmedRow& job) {
    const std::string type = Trimmed(row.cells[kType]);
    if (type != "1" && type != "2" && type != "3") {
        job.error = RowError(row.line, "type", "тип развертки должен быть 1, 2 или 3, а не '" +
                                              row.cells[kType] + "'");
        return;
    }
    job.type = type[0] - '0';
    const std::string qty = Trimmed(row.cells[kQty]);
    if (!qty.empty()) {
        bool digits = qty.size() <= 6;
        for (char c : qty) {
            digits = digits && c >= '0' && c <= '9';
        }
        job.qty = digits ? std::stol(qty) : 0;
        if (job.qty < 1) {
            job.error = RowError(row.line, "qty", "количество должно быть целым числом от 1 до 999999, а не '" +
                                                 row.cells[kQty] + "'");
            return;
        }
    }
    for (Input in : ValidatorsFor(job.type)) {
        const std::string& cell = row.cells[ColumnOf(in)];
        if (!cell.empty()) {
            job.texts[in] = cell;
        }
    }
    job.data.OsmodeValue = osmode;
    job.data.RazvType = job.type;
    job.confirmation = kiv::Confirm(job.data, job.type, job.texts);
    const Confirmation& c = job.confirmation;
    switch (c.outcome) {
    case Outcome::Refused:
        job.error = RowError(row.line, ColumnName(ColumnOf(c.refusal.input)),
                             ConsoleLines(RefusalText(c.refusal)));
        return;
    case Outcome::AllowancesDoNotFit:
    case Outcome::NotFinite:
    case Outcome::DrawingFault:
        job.error = "строка " + std::to_string(row.line) + ": " +
                    ConsoleLines(OutcomeText(c.outcome));
        return;
    case Outcome::Confirmed:
        break;
    }
    job.scriptName = ScriptNameOf(job.type, job.texts);
}

int RunBatch(const BatchOptions& o) {
    // Which files each row gets.
    std::vector<std::string> formats;
    {
        std::stringstream list(o.formats);
        std::string f;
        while (std::getline(list, f, ',')) {
            f = Trimmed(f);
            if (std::find(std::begin(kFormats), std::end(kFormats), f) == std::end(kFormats)) {
                std::cerr << "kiv: параметр --formats: неизвестный формат '" << f
                          << "' (допустимы scr, dxf, pdf)\n";
                return kRefused;
            }
            if (std::find(formats.begin(), formats.end(), f) == formats.end()) {
                formats.push_back(f);
            }
        }
        if (formats.empty()) {
            std::cerr << "kiv: параметр --formats: не задан ни один формат\n";
            return kRefused;
        }
    }

    std::string osmode, error;
    if (!ResolveOsmode(o.osmodeGiven, o.osmode, osmode, error)) {
        std::cerr << "kiv: " << error << "\n";
        return kRefused;
    }

    Order order;
    if (!LoadOrder(o.orders, order)) {
        return kRefused;
    }

    const unsigned jobs =
        o.jobs > 0 ? o.jobs : std::max(1u, std::thread::hardware_concurrency());
    std::vector<Job> rows(order.rows.size());
    std::atomic<std::size_t> done{0};
    OnAllCores(
        rows.size(), jobs,
        [&](std::size_t i) {
            rows[i].row = &order.rows[i];
            ConfirmRow(order.rows[i], osmode, rows[i]);
        },
        done);

    // Names, in the order's order: the first row to claim a name keeps it.
    std::set<std::string> claimed = {"summary.csv", "summary.json"};
    std::map<std::string, int> claimedBy;
    for (Job& job : rows) {
        if (!job.error.empty()) {
            continue;
        }
        std::string base;
        if (!o.nameMask.empty()) {
            if (!ExpandMask(o.nameMask, job, base, error)) {
                std::cerr << "kiv: параметр --name: " << error << "\n";
                return kRefused;
            }
        }
        for (const std::string& f : formats) {
            std::string name = OutputFileName(job.scriptName, f);
            if (!o.nameMask.empty()) {
                name = base;
                name += '.';
                name += f;
            }
            if (!SafeName(name)) {
                job.error = RowError(job, "name", "недопустимое имя файла '" + name + "'");
                break;
            }
            if (claimed.count(name) > 0) {
                job.error = RowError(job, "name",
                                     "имя файла " + name + " уже занято" +
                                         (claimedBy.count(name) > 0
                                              ? " строкой " + std::to_string(claimedBy[name])
                                              : std::string()));
                break;
            }
            job.files.emplace_back(f, name);
        }
        if (job.error.empty()) {
            for (const auto& [format, name] : job.files) {
                claimed.insert(name);
                claimedBy[name] = job.row->line;
            }
        } else {
            job.files.clear();
        }
    }

    int status = kDone;
    for (const Job& job : rows) {
        if (job.error.empty()) {
            continue;
        }
        std::cerr << "kiv: " << job.error << "\n";
        status = kRefused;
        if (o.strict) {
            std::cerr << "kiv: --strict: ничего не записано\n";
            return kRefused;
        }
    }

    std::error_code ec;
    std::filesystem::create_directories(o.out, ec);
    if (!std::filesystem::is_directory(o.out)) {
        std::cerr << "kiv: не удалось создать папку " << o.out << "\n";
        return kFileFailed;
    }

    // The files: script and drawing on every core; the template is painted
    // by Qt, on this thread alone.
    std::mutex report;
    const bool pdf = std::find(formats.begin(), formats.end(), "pdf") != formats.end();
    OutputRequest request;
    request.script = std::find(formats.begin(), formats.end(), "scr") != formats.end();
    request.dxf = std::find(formats.begin(), formats.end(), "dxf") != formats.end();
    std::atomic<bool> failed{false};
    const auto save = [&](Job& job, const std::string& format, const std::string& fileBytes) {
        for (const auto& [f, name] : job.files) {
            if (f != format) {
                continue;
            }
            std::string reason;
            if (!SaveWhole(o.out + "/" + name, fileBytes, reason)) {
                const std::lock_guard<std::mutex> lock(report);
                std::cerr << "kiv: строка " << job.row->line << ": не удалось записать файл "
                          << name << ": " << reason << "\n";
                job.written = false;
                failed = true;
            }
        }
    };
    done = 0;
    {
        Progress progress(rows.size(), done);
        OnAllCores(
            rows.size(), jobs,
            [&](std::size_t i) {
                Job& job = rows[i];
                if (!job.error.empty()) {
                    return;
                }
                job.written = true;
                const HoodOutputs out = Produce(job.data, job.type, request);
                if (out.status != CalcStatus::Ok || out.fault != DrawingFault::None) {
                    const std::lock_guard<std::mutex> lock(report);
                    std::cerr << "kiv: строка " << job.row->line << ": "
                              << DrawingFaultText(out.fault) << "\n";
                    job.written = false;
                    failed = true;
                    return;
                }
                if (request.script) {
                    save(job, "scr", out.script);
                }
                if (request.dxf) {
                    save(job, "dxf", out.dxf);
                }
            },
            done);
        if (pdf) {
            for (Job& job : rows) {
                if (!job.error.empty() || !job.written) {
                    continue;
                }
                std::string pdfBytes, why;
                std::string name;
                for (const auto& [format, file] : job.files) {
                    if (format == "pdf") {
                        name = file;
                    }
                }
                const std::string title = std::filesystem::path(name).stem().string();
                if (!TemplatePdfBytes(job.data, job.type, o.paper, title, pdfBytes, why)) {
                    std::cerr << "kiv: строка " << job.row->line << ": " << ConsoleLines(why)
                              << "\n";
                    job.written = false;
                    failed = true;
                    continue;
                }
                save(job, "pdf", pdfBytes);
            }
        }
    }
    if (failed) {
        status = kFileFailed;
    }

    // The summary: one row per hood whose files are all written, for its
    // quantity, in the order's order, and the totals.
    std::string csv = kSummaryHeader;
    nlohmann::ordered_json hoods = nlohmann::ordered_json::array();
    Totals totals;
    for (const Job& job : rows) {
        if (!job.error.empty() || !job.written) {
            continue;
        }
        const RaschetData& d = job.data;
        const BlankSummary& s = job.confirmation.report.blank;
        const auto q = static_cast<double>(job.qty);
        const double wire = HasWire(PatternTypeOf(job.type)) ? WireLength(d) * q : 0;
        nlohmann::ordered_json fileList = nlohmann::ordered_json::array();
        for (const auto& [format, name] : job.files) {
            fileList.push_back(name);
        }
        csv += SummaryLine(job.row->line, job.row->cells[kName], job.type, job.qty, d, s,
                           fileList.get<std::vector<std::string>>());
        nlohmann::ordered_json h = HoodJson(d, job.type, job.confirmation);
        h["line"] = job.row->line;
        h["name"] = job.row->cells[kName];
        h["qty"] = job.qty;
        h["files"] = fileList;
        h["for_qty"] = {{"blank_area_mm2", s.blankArea * q},
                        {"pattern_area_mm2", s.patternArea * q},
                        {"blank_mass_kg", Masses(s.blankMass, q)},
                        {"wire_length_mm", wire}};
        hoods.push_back(std::move(h));
        totals.hoods += job.qty;
        totals.area += s.blankArea * q;
        for (std::size_t m = 0; m < 3; ++m) {
            totals.mass[m] += s.blankMass[m] * q;
        }
        totals.wire += wire;
    }
    csv += TotalsLine(totals.hoods, totals.area, totals.mass, totals.wire);
    const nlohmann::ordered_json summary = {
        {"hoods", hoods},
        {"totals",
         {{"hoods", totals.hoods},
          {"blank_area_mm2", totals.area},
          {"blank_mass_kg", Masses(totals.mass)},
          {"wire_length_mm", totals.wire}}},
    };
    for (const auto& [name, text] :
         {std::pair<std::string, std::string>{"summary.csv", csv},
          std::pair<std::string, std::string>{"summary.json", summary.dump(2) + "\n"}}) {
        std::string reason;
        if (!SaveWhole(o.out + "/" + name, text, reason)) {
            std::cerr << "kiv: не удалось записать файл " << name << ": " << reason << "\n";
            status = kFileFailed;
        }
    }
    std::string reason;
    if (!SyncFolder(o.out, reason)) {
        std::cerr << "kiv: " << o.out << ": " << reason << "\n";
        status = kFileFailed;
    }
    return status;
}

} // namespace kiv::cli
