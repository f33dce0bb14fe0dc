#include "cli/Batch.h"

#include "cli/AllCores.h"
#include "cli/Common.h"
#include "cli/HoodJson.h"
#include "cli/Order.h"
#include "cli/Summary.h"
#include "input/Conversion.h"
#include "input/SaveFile.h"
#include "road/Road.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <map>
#include <mutex>
#include <sstream>
#include <string_view>
#include <thread>

namespace kiv::cli {

namespace {

using Job = BatchRow;

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
    if (!IsUtf8(mask)) {
        error = "маска имени не в кодировке UTF-8: '" + ShownCell(mask) + "'";
        return false;
    }
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

// A name that stays inside the folder and names an ordinary file a file
// manager shows: no leading dot, no control bytes.
bool SafeName(const std::string& name) {
    return !name.empty() && name.size() <= 255 && name[0] != '.' &&
           name.find('/') == std::string::npos &&
           std::none_of(name.begin(), name.end(),
                        [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
}

struct Totals {
    long hoods = 0;
    double area = 0; // blank area, mm^2
    double mass[3] = {};
    double wire = 0; // mm
};

} // namespace

namespace {

// The order file's bytes; false, with the message on the terminal, when it cannot be read.
bool LoadOrderBytes(const std::string& path, std::string& bytes) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        std::cerr << "kiv: " << path << " — папка, а не файл заказа\n";
        return false;
    }
    // Far more than an order of 10,000 hoods; a device that never ends
    // (/dev/zero) is stopped here instead of filling the memory.
    constexpr std::size_t kMostBytes = 64 << 20;
    errno = 0;
    std::ifstream in(path, std::ios::binary);
    try {
        std::vector<char> chunk(1 << 16);
        while (in.is_open() && bytes.size() <= kMostBytes &&
               (in.read(chunk.data(), static_cast<std::streamsize>(chunk.size())) ||
                in.gcount() > 0)) {
            bytes.append(chunk.data(), static_cast<std::size_t>(in.gcount()));
        }
    } catch (const std::exception&) {
        in.setstate(std::ios::badbit); // the stream's buffer threw: the file cannot be read
    }
    if (!in.is_open() || in.bad()) {
        const int error = errno;
        std::cerr << "kiv: не удалось прочитать файл заказа " << path
                  << (error != 0 ? std::string(": ") + SystemCause(error, true) : std::string())
                  << "\n";
        return false;
    }
    if (bytes.size() > kMostBytes) {
        std::cerr << "kiv: " << path << ": файл заказа больше 64 МБ — это не заказ\n";
        return false;
    }
    return true;
}

// What the reading of the order said, on the terminal; false when it is no order.
bool TellOrder(const std::string& path, const Order& order) {
    if (!order.error.empty()) {
        std::cerr << "kiv: " << path << ", строка " << order.errorLine << ": " << order.error
                  << "\n";
        return false;
    }
    if (order.windows1251) {
        // Said, so that a file in yet another encoding is not taken for right.
        std::cerr << "kiv: " << path << ": файл не в UTF-8, прочитан как Windows-1251\n";
    }
    return true;
}

} // namespace

bool LoadOrder(const std::string& path, Order& order) {
    std::string bytes;
    if (!LoadOrderBytes(path, bytes)) {
        return false;
    }
    order = ReadOrder(bytes);
    return TellOrder(path, order);
}

void ConfirmRow(const OrderRow& row, const std::string& osmode, ConfirmedRow& job) {
    const std::string type = Trimmed(row.cells[kType]);
    if (type != "1" && type != "2" && type != "3") {
        job.error = RowError(row.line, "type",
                             "тип развертки должен быть 1, 2 или 3, а не '" +
                                 ShownCell(row.cells[kType]) + "'");
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
            job.error = RowError(row.line, "qty",
                                 "количество должно быть целым числом от 1 до 999999, а не '" +
                                     ShownCell(row.cells[kQty]) + "'");
            return;
        }
    }
    for (Input in : ValidatorsFor(job.type)) {
        const std::string& cell = row.cells[ColumnOf(in)];
        // A comma in a cell is a decimal one: in a ";" file it cannot be
        // anything else, and in a "," file a cell holds a comma only when
        // it was quoted, since an unquoted comma ends the cell.
        if (!cell.empty()) {
            job.texts[in] = WithDecimalPoint(cell);
        }
    }
    job.data.OsmodeValue = osmode;
    job.data.RazvType = job.type;
    job.confirmation = kiv::Confirm(job.data, job.type, job.texts);
    const Confirmation& c = job.confirmation;
    switch (c.outcome) {
    case Outcome::Refused: {
        // The validator quotes the cell whole; a long or binary one is shown cut.
        const Column column = ColumnOf(c.refusal.input);
        std::string message = RefusalLines(c.refusal, job.texts);
        for (const std::string& cell : {row.cells[column], Trimmed(row.cells[column])}) {
            const std::size_t at = cell.empty() ? std::string::npos : message.find(cell);
            if (at != std::string::npos) {
                message.replace(at, cell.size(), ShownCell(cell));
                break;
            }
        }
        job.error = RowError(row.line, ColumnName(column), message);
        return;
    }
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

// The stems the order's rows have taken, each with the line of the row that
// took it, in 16 bytes a stem however many rows the order has: a stem is
// kept as 96 bits of its hashes, and two different stems would have to
// agree in all of them (about once in 10^16 orders of a million rows) to
// be taken for one.
class TakenStems {
public:
    // The line of the row that took `stem` first, or 0 after taking it for `line`.
    int take(std::string_view stem, int line) {
        if ((count_ + 1) * 4 > slots_.size() * 3) {
            grow();
        }
        const Slot key = KeyOf(stem, line);
        Slot& slot = find(key);
        if (slot.line != 0) {
            return slot.line;
        }
        slot = key;
        ++count_;
        return 0;
    }

private:
    struct Slot {
        std::uint64_t first = 0;
        std::uint32_t second = 0;
        std::int32_t line = 0; // 0: free
    };

    static Slot KeyOf(std::string_view stem, int line) {
        const std::hash<std::string_view> hash;
        std::string salted(stem);
        salted += '\n';
        return {hash(stem), static_cast<std::uint32_t>(hash(salted)), line};
    }

    Slot& find(const Slot& key) {
        std::size_t i = key.first & (slots_.size() - 1);
        while (slots_[i].line != 0 && (slots_[i].first != key.first || slots_[i].second != key.second)) {
            i = (i + 1) & (slots_.size() - 1);
        }
        return slots_[i];
    }

    void grow() {
        std::vector<Slot> old(std::max<std::size_t>(1024, slots_.size() * 2));
        old.swap(slots_);
        for (const Slot& s : old) {
            if (s.line != 0) {
                find(s) = s;
            }
        }
    }

    std::vector<Slot> slots_;
    std::size_t count_ = 0;
};

// The files' names, in the order's order: the first row to claim a name
// keeps it, a later one is refused. A row's files differ from another's
// only by their stem (the formats, and so the endings, are the same for
// all, and none is a summary's), so the stems are what is claimed.
class FileNames {
public:
    FileNames(const BatchOptions& o, const std::vector<std::string>& formats) : o_(o), formats_(formats) {}

    // The names of a good row's files in `job.files`, or why it gets none in
    // `job.error`; taken names refuse the row and the others are taken for
    // it when `claim` is set. False with the message on the terminal when
    // the mask itself is wrong.
    bool name(Job& job, bool claim) {
        if (!job.error.empty()) {
            return true;
        }
        std::string base, error;
        if (!o_.nameMask.empty() && !ExpandMask(o_.nameMask, job, base, error)) {
            std::cerr << "kiv: параметр --name: " << error << "\n";
            return false;
        }
        job.files.clear();
        if (!o_.nameMask.empty() && Trimmed(base).empty()) {
            job.error = RowError(job, "name",
                                 "по маске --name '" + ShownCell(o_.nameMask) +
                                     "' получилось пустое имя файла: его ячейки пусты");
            return true;
        }
        const std::string stem = o_.nameMask.empty() ? OutputFileName(job.scriptName, "") : base + '.';
        for (const std::string& f : formats_) {
            std::string name = stem + f;
            if (!SafeName(name)) {
                job.error = RowError(job, "name", "недопустимое имя файла '" + ShownCell(name) + "'");
                job.files.clear();
                return true;
            }
            job.files.emplace_back(f, std::move(name));
        }
        if (claim && !job.files.empty()) {
            if (const int line = taken_.take(stem, job.row->line); line != 0) {
                job.error = RowError(job, "name",
                                     "имя файла " + job.files.front().second + " уже занято строкой " +
                                         std::to_string(line));
                job.files.clear();
            }
        }
        return true;
    }

private:
    const BatchOptions& o_;
    const std::vector<std::string>& formats_;
    TakenStems taken_;
};

} // namespace

bool PlanBatch(const BatchOptions& o, const std::vector<std::string>& formats,
               const std::string& osmode, const Order& order, unsigned jobs,
               std::vector<BatchRow>& rows) {
    rows.assign(order.rows.size(), BatchRow());
    std::atomic<std::size_t> confirmed{0};
    OnAllCores(
        rows.size(), jobs,
        [&](std::size_t i) {
            rows[i].row = &order.rows[i];
            ConfirmRow(order.rows[i], osmode, rows[i]);
        },
        confirmed);
    FileNames names(o, formats);
    return std::all_of(rows.begin(), rows.end(), [&](BatchRow& row) { return names.name(row, true); });
}

namespace {

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
    bool write(std::vector<Job>& rows, unsigned jobs, std::atomic<std::size_t>& done) {
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

// `json` as it stands `depth` levels deep in a document dumped with an
// indent of 2: every line after the first moved right. A JSON text holds no
// raw line break but those of its layout.
std::string Indented(const nlohmann::ordered_json& json, std::size_t depth) {
    // The order's cells are UTF-8 once read; should a byte slip through all
    // the same, it is replaced rather than failing after the files are written.
    const std::string text = json.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
    const std::string margin(2 * depth, ' ');
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (char c : text) {
        out += c;
        if (c == '\n') {
            out += margin;
        }
    }
    return out;
}

// The summary: one row per hood whose files are all written, for its
// quantity, in the order's order, and the totals; as CSV and as JSON. Each
// hood goes to its sinks as it comes, so that memory does not grow with the
// order. A sink is anything with Append(bytes): a file on its way or a text.
template <class Sink>
class SummaryText {
public:
    SummaryText(Sink& csv, Sink& json, char separator) : csv_(csv), json_(json), separator_(separator) {
        csv_.Append(SummaryHeader(separator_));
        json_.Append("{\n  \"hoods\": [");
    }

    void add(const Job& job) {
        const RaschetData& d = job.data;
        const BlankSummary& s = job.confirmation.report.blank;
        const auto q = static_cast<double>(job.qty);
        const double wire = HasWire(PatternTypeOf(job.type)) ? WireLength(d) * q : 0;
        std::vector<std::string> names;
        for (const auto& [format, name] : job.files) {
            names.push_back(name);
        }
        csv_.Append(SummaryLine(job.row->line, job.row->cells[kName], job.type, job.qty, d, s, names, separator_));
        nlohmann::ordered_json h = HoodJson(d, job.type, job.confirmation);
        h["line"] = job.row->line;
        h["name"] = job.row->cells[kName];
        h["qty"] = job.qty;
        h["files"] = names;
        h["for_qty"] = {{"blank_area_mm2", s.blankArea * q},
                        {"pattern_area_mm2", s.patternArea * q},
                        {"blank_mass_kg", Masses(s.blankMass, q)},
                        {"wire_length_mm", wire}};
        json_.Append(any_ ? ",\n    " : "\n    ");
        json_.Append(Indented(h, 2));
        any_ = true;
        totals_.hoods += job.qty;
        totals_.area += s.blankArea * q;
        for (std::size_t m = 0; m < 3; ++m) {
            totals_.mass[m] += s.blankMass[m] * q;
        }
        totals_.wire += wire;
    }

    // The totals: the last bytes of both texts.
    void finish() {
        csv_.Append(TotalsLine(totals_.hoods, totals_.area, totals_.mass, totals_.wire, separator_));
        const nlohmann::ordered_json totals = {{"hoods", totals_.hoods},
                                               {"blank_area_mm2", totals_.area},
                                               {"blank_mass_kg", Masses(totals_.mass)},
                                               {"wire_length_mm", totals_.wire}};
        json_.Append(any_ ? "\n  ],\n  \"totals\": " : "],\n  \"totals\": ");
        json_.Append(Indented(totals, 1));
        json_.Append("\n}\n");
    }

private:
    Sink& csv_;
    Sink& json_;
    char separator_;
    Totals totals_;
    bool any_ = false;
};

// A summary kept in memory.
struct TextSink {
    std::string& text;
    void Append(std::string_view bytes) { text += bytes; }
};

// The summary files in the folder, which take their names only once they are whole.
class SummaryWriter {
public:
    SummaryWriter(const std::string& out, char separator)
        : csvOpen_(open(csv_, out, "summary.csv")), jsonOpen_(open(json_, out, "summary.json")),
          text_(csv_, json_, separator) {}

    void add(const Job& job) { text_.add(job); }

    // The totals, and the files in place; kFileFailed when one is not.
    int finish() {
        text_.finish();
        commit(csvOpen_, csv_, "summary.csv");
        commit(jsonOpen_, json_, "summary.json");
        return status_;
    }

private:
    bool open(StreamedFile& file, const std::string& out, const char* name) {
        std::string reason;
        if (!file.Open(out + "/" + name, reason)) {
            tell(name, reason);
            return false;
        }
        return true;
    }

    // A file that could not be started was told of already.
    void commit(bool opened, StreamedFile& file, const char* name) {
        std::string reason;
        if (opened && !file.Commit(reason, NewFileSync::ByCaller)) {
            tell(name, reason);
        }
    }

    void tell(const char* name, const std::string& reason) {
        std::cerr << "kiv: не удалось записать файл " << name << ": " << reason << "\n";
        status_ = kFileFailed;
    }

    int status_ = kDone;
    StreamedFile csv_, json_;
    bool csvOpen_, jsonOpen_;
    SummaryText<StreamedFile> text_;
};

// A refused row on the terminal as it is found; with --strict only the
// first, and the batch stops there. The rows refused are only marked, so
// that an order of a million refused rows holds no million messages.
class Refusals {
public:
    Refusals(std::size_t rows, bool strict) : refused_(rows, false), strict_(strict) {}

    // False when the batch stops here.
    bool tell(std::size_t row, const std::string& error) {
        if (error.empty()) {
            return true;
        }
        refused_[row] = true;
        status_ = kRefused;
        std::cerr << "kiv: " << error << "\n";
        if (strict_) {
            std::cerr << "kiv: --strict: ничего не записано\n";
            return false;
        }
        return true;
    }

    bool refused(std::size_t row) const { return refused_[row]; }
    int status() const { return status_; }

private:
    std::vector<bool> refused_;
    bool strict_;
    int status_ = kDone;
};

// Rows are worked on this many at a time, so that memory holds one slice of
// the order's hoods, never all of them.
constexpr std::size_t kSlice = 512;

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
    // The bytes are kept and read again for each pass; the rows, never all at once.
    std::string bytes;
    if (!LoadOrderBytes(o.orders, bytes)) {
        return kRefused;
    }
    std::size_t count = 0;
    const Order order = ReadOrderRows(bytes, [&](OrderRow&) { ++count; });
    if (!TellOrder(o.orders, order)) {
        return kRefused;
    }
    // The order's rows handed over a slice at a time.
    std::vector<OrderRow> held;
    const auto eachSlice = [&](const std::function<bool(std::size_t from)>& work) {
        std::size_t from = 0;
        bool going = true;
        held.clear();
        held.reserve(kSlice);
        const auto flush = [&] {
            if (going && !held.empty()) {
                going = work(from);
            }
            from += held.size();
            held.clear();
        };
        ReadOrderRows(bytes, [&](OrderRow& r) {
            held.push_back(std::move(r));
            if (held.size() == kSlice) {
                flush();
            }
        });
        flush();
        return going;
    };

    // More threads than cores only share the same cores (a thousand of them
    // only cost memory and switching), so -j is capped at the cores, as the
    // help says; quietly, since the rows come out the same either way.
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const unsigned jobs = o.jobs > 0 ? std::min(o.jobs, cores) : cores;
    // The rows refused in the first pass are skipped in the second.
    Refusals refusals(count, o.strict);
    const auto slice = [&](std::size_t from, std::vector<Job>& rows, bool skipRefused,
                           std::atomic<std::size_t>& done) {
        rows.assign(held.size(), Job());
        OnAllCores(
            rows.size(), jobs,
            [&](std::size_t i) {
                Job& job = rows[i];
                job.row = &held[i];
                if (skipRefused && refusals.refused(from + i)) {
                    job.error = "refused"; // told in the first pass; nothing is made of it
                } else {
                    ConfirmRow(*job.row, osmode, job);
                }
            },
            done);
    };

    // Every row checked and its names claimed first: the refusals are told,
    // and --strict stops, before anything is written.
    FileNames names(o, formats);
    std::atomic<std::size_t> confirmed{0};
    const bool named = eachSlice([&](std::size_t from) {
        std::vector<Job> rows;
        slice(from, rows, false, confirmed);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            if (!names.name(rows[i], true) || !refusals.tell(from + i, rows[i].error)) {
                return false;
            }
        }
        return true;
    });
    if (!named) {
        return kRefused;
    }
    int status = refusals.status();

    std::error_code ec;
    std::filesystem::create_directories(o.out, ec);
    if (!std::filesystem::is_directory(o.out)) {
        std::cerr << "kiv: не удалось создать папку " << o.out
                  << (ec ? std::string(": ") + SystemCause(ec.value()) : std::string()) << "\n";
        return kFileFailed;
    }
    // Then slice by slice: the hoods made again from their rows, their files
    // written and their lines added to the summaries.
    RowWriter writer(o, formats);
    SummaryWriter summary(o.out, order.delimiter);
    std::atomic<std::size_t> done{0}, again{0};
    {
        const Progress progress(count, done);
        eachSlice([&](std::size_t from) {
            std::vector<Job> rows;
            slice(from, rows, true, again);
            for (Job& job : rows) {
                names.name(job, false);
            }
            if (!writer.write(rows, jobs, done)) {
                status = kFileFailed;
            }
            for (const Job& job : rows) {
                if (job.error.empty() && job.written) {
                    summary.add(job);
                }
            }
            return true;
        });
    }
    int summarised = summary.finish();
    std::string reason;
    if (!SyncFolder(o.out, reason)) {
        std::cerr << "kiv: " << o.out << ": " << reason << "\n";
        summarised = kFileFailed;
    }
    return summarised == kDone ? status : kFileFailed;
}

void Summarise(const std::vector<BatchRow>& rows, char separator, std::string& csv, std::string& json) {
    csv.clear();
    json.clear();
    TextSink csvSink{csv}, jsonSink{json};
    SummaryText<TextSink> text(csvSink, jsonSink, separator);
    for (const BatchRow& row : rows) {
        if (row.error.empty() && row.written) {
            text.add(row);
        }
    }
    text.finish();
}

} // namespace kiv::cli
