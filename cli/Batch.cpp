#include "cli/Batch.h"

#include "cli/AllCores.h"
#include "cli/Common.h"
#include "cli/HoodJson.h"
#include "cli/Order.h"
#include "cli/Summary.h"
#include "input/SaveFile.h"
#include "road/Road.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <iostream>
#include <map>
#include <mutex>
#include <set>
#include <sstream>
#include <thread>

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

namespace {

// The formats of `list` ("scr,dxf"), each once; false with the message on
// the terminal for an unknown one or none.
bool ParseFormats(const std::string& list, std::vector<std::string>& formats) {
    std::stringstream items(list);
    std::string f;
    while (std::getline(items, f, ',')) {
        f = Trimmed(f);
        if (std::find(std::begin(kFormats), std::end(kFormats), f) == std::end(kFormats)) {
            std::cerr << "kiv: параметр --formats: неизвестный формат '" << f
                      << "' (допустимы scr, dxf, pdf)\n";
            return false;
        }
        if (std::find(formats.begin(), formats.end(), f) == formats.end()) {
            formats.push_back(f);
        }
    }
    if (formats.empty()) {
        std::cerr << "kiv: параметр --formats: не задан ни один формат\n";
        return false;
    }
    return true;
}

bool Has(const std::vector<std::string>& formats, const char* format) {
    return std::find(formats.begin(), formats.end(), format) != formats.end();
}

// The files' names, in the order's order: the first row to claim a name
// keeps it, a later one is refused. False with the message on the terminal
// when the mask itself is wrong.
bool NameFiles(const BatchOptions& o, const std::vector<std::string>& formats,
               std::vector<Job>& rows) {
    std::set<std::string> claimed = {"summary.csv", "summary.json"};
    std::map<std::string, int> claimedBy;
    for (Job& job : rows) {
        if (!job.error.empty()) {
            continue;
        }
        std::string base, error;
        if (!o.nameMask.empty() && !ExpandMask(o.nameMask, job, base, error)) {
            std::cerr << "kiv: параметр --name: " << error << "\n";
            return false;
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
        if (!job.error.empty()) {
            job.files.clear();
            continue;
        }
        for (const auto& [format, name] : job.files) {
            claimed.insert(name);
            claimedBy[name] = job.row->line;
        }
    }
    return true;
}

// The rows' files written into the folder, each whole or not at all, and the
// rows whose files are all there marked as written.
class RowWriter {
public:
    RowWriter(const BatchOptions& o, const std::vector<std::string>& formats)
        : o_(o), pdf_(Has(formats, "pdf")) {
        request_.script = Has(formats, "scr");
        request_.dxf = Has(formats, "dxf");
    }

    // Script and drawing on every core; the template is painted by Qt, on
    // this thread alone. False when any file failed.
    bool write(std::vector<Job>& rows, unsigned jobs) {
        std::atomic<std::size_t> done{0};
        Progress progress(rows.size(), done);
        OnAllCores(
            rows.size(), jobs, [&](std::size_t i) { writeDrawings(rows[i]); }, done);
        if (pdf_) {
            for (Job& job : rows) {
                writeTemplate(job);
            }
        }
        return !failed_;
    }

private:
    void writeDrawings(Job& job) {
        if (!job.error.empty()) {
            return;
        }
        job.written = true;
        const HoodOutputs out = Produce(job.data, job.type, request_);
        if (out.status != CalcStatus::Ok || out.fault != DrawingFault::None) {
            fail(job, DrawingFaultText(out.fault));
            return;
        }
        if (request_.script) {
            save(job, "scr", out.script);
        }
        if (request_.dxf) {
            save(job, "dxf", out.dxf);
        }
    }

    void writeTemplate(Job& job) {
        if (!job.error.empty() || !job.written) {
            return;
        }
        std::string name;
        for (const auto& [format, file] : job.files) {
            if (format == "pdf") {
                name = file;
            }
        }
        std::string bytes, why;
        const std::string title = std::filesystem::path(name).stem().string();
        if (!TemplatePdfBytes(job.data, job.type, o_.paper, title, bytes, why)) {
            fail(job, ConsoleLines(why));
            return;
        }
        save(job, "pdf", bytes);
    }

    void save(Job& job, const std::string& format, const std::string& bytes) {
        for (const auto& [f, name] : job.files) {
            std::string reason;
            if (f == format &&
                !SaveWhole(o_.out + "/" + name, bytes, reason, NewFileSync::ByCaller)) {
                std::string message = "не удалось записать файл ";
                message += name;
                message += ": ";
                message += reason;
                fail(job, message);
            }
        }
    }

    void fail(Job& job, const std::string& message) {
        const std::lock_guard<std::mutex> lock(report_);
        std::cerr << "kiv: строка " << job.row->line << ": " << message << "\n";
        job.written = false;
        failed_ = true;
    }

    const BatchOptions& o_;
    bool pdf_;
    OutputRequest request_;
    std::mutex report_;
    std::atomic<bool> failed_{false};
};

// The summary: one row per hood whose files are all written, for its
// quantity, in the order's order, and the totals; as CSV and as JSON.
void Summarise(const std::vector<Job>& rows, std::string& csv, std::string& json) {
    csv = kSummaryHeader;
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
    json = summary.dump(2) + "\n";
}

// The summary files, and everything written into the folder to the disk.
int WriteSummary(const std::string& out, const std::vector<Job>& rows) {
    int status = kDone;
    std::string csv, json;
    Summarise(rows, csv, json);
    const auto save = [&](const char* name, const std::string& text) {
        std::string reason;
        if (!SaveWhole(out + "/" + name, text, reason, NewFileSync::ByCaller)) {
            std::cerr << "kiv: не удалось записать файл " << name << ": " << reason << "\n";
            status = kFileFailed;
        }
    };
    save("summary.csv", csv);
    save("summary.json", json);
    std::string reason;
    if (!SyncFolder(out, reason)) {
        std::cerr << "kiv: " << out << ": " << reason << "\n";
        status = kFileFailed;
    }
    return status;
}

// Every refused row on the terminal, kRefused when there was one; with
// --strict only the first, and the batch stops there.
int TellRefusals(const std::vector<Job>& rows, bool strict) {
    int status = kDone;
    for (const Job& job : rows) {
        if (job.error.empty()) {
            continue;
        }
        std::cerr << "kiv: " << job.error << "\n";
        status = kRefused;
        if (strict) {
            std::cerr << "kiv: --strict: ничего не записано\n";
            return kRefused;
        }
    }
    return status;
}

} // namespace

int RunBatch(const BatchOptions& o) {
    std::vector<std::string> formats;
    if (!ParseFormats(o.formats, formats)) {
        return kRefused;
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

    // More threads than cores only share the same cores (a thousand of them
    // only cost memory and switching), so -j is capped at the cores, as the
    // help says; quietly, since the rows come out the same either way.
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const unsigned jobs = o.jobs > 0 ? std::min(o.jobs, cores) : cores;
    std::vector<Job> rows(order.rows.size());
    std::atomic<std::size_t> confirmed{0};
    OnAllCores(
        rows.size(), jobs,
        [&](std::size_t i) {
            rows[i].row = &order.rows[i];
            ConfirmRow(order.rows[i], osmode, rows[i]);
        },
        confirmed);
    if (!NameFiles(o, formats, rows)) {
        return kRefused;
    }
    int status = TellRefusals(rows, o.strict);
    if (status != kDone && o.strict) {
        return status;
    }

    std::error_code ec;
    std::filesystem::create_directories(o.out, ec);
    if (!std::filesystem::is_directory(o.out)) {
        std::cerr << "kiv: не удалось создать папку " << o.out << "\n";
        return kFileFailed;
    }
    RowWriter writer(o, formats);
    if (!writer.write(rows, jobs)) {
        status = kFileFailed;
    }
    return WriteSummary(o.out, rows) == kDone ? status : kFileFailed;
}

} // namespace kiv::cli
