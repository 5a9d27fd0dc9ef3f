#include "journal/JournalCsv.h"

#include "base/Files.h"
#include "base/Utf8.h"
#include "calc/VoltageOptions.h"
#include "journal/JournalColumns.h"

#include <csv.h>
#include <iconv.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <system_error>

namespace kalvenor {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kNoBreakSpace = "\xC2\xA0";
constexpr std::string_view kNarrowNoBreakSpace = "\xE2\x80\xAF";

// How the file separates cells and writes fractions.
struct Dialect {
    unsigned char delimiter = ';';
    NumberFormat numbers{','};
};

// ---- Text ------------------------------------------------------------------

// Older Russian spreadsheets save CSV in the Windows code page; a file that
// is not UTF-8 is read as that, through the C library's converter.
std::string FromWindows1251(std::string_view bytes) {
    const iconv_t converter = ::iconv_open("UTF-8", "CP1251");
    if (reinterpret_cast<std::intptr_t>(converter) == -1) {
        throw UserError(
            "Файл не в кодировке UTF-8, а преобразователь кодировки Windows-1251 "
            "недоступен. Сохраните файл как «CSV UTF-8».");
    }
    const std::unique_ptr<void, int (*)(iconv_t)> closer(converter, ::iconv_close);
    // A byte of Windows-1251 is at most three bytes of UTF-8.
    std::string text(bytes.size() * 3, '\0');
    std::string input(bytes);
    char* in = input.data();
    std::size_t inLeft = input.size();
    char* out = text.data();
    std::size_t outLeft = text.size();
    if (::iconv(converter, &in, &inLeft, &out, &outLeft) == static_cast<std::size_t>(-1)) {
        throw UserError(
            "Файл не в кодировке UTF-8 и не в Windows-1251. Сохраните его как «CSV UTF-8».");
    }
    text.resize(text.size() - outLeft);
    return text;
}

std::string DecodeText(std::string_view bytes) {
    if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) {
        throw UserError(
            "Файл записан в кодировке UTF-16. Сохраните его из программы "
            "электронных таблиц как «CSV UTF-8».");
    }
    if (bytes.find('\0') != std::string_view::npos) {
        throw UserError("Файл не является текстовым файлом CSV.");
    }
    if (bytes.starts_with(kByteOrderMark)) {
        bytes.remove_prefix(kByteOrderMark.size());
    }
    return IsUtf8(bytes) ? std::string(bytes) : FromWindows1251(bytes);
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// The length of a blank of any kind at the start of the text, or 0.
std::size_t BlankAt(std::string_view text) {
    if (!text.empty() && IsBlank(text.front())) {
        return 1;
    }
    for (const std::string_view blank : {kNoBreakSpace, kNarrowNoBreakSpace}) {
        if (text.starts_with(blank)) {
            return blank.size();
        }
    }
    return 0;
}

// Lower case for the letters of a header, Latin and Cyrillic, with ё read
// as е, as people write it either way.
std::string FoldHeaderLetters(std::string_view text) {
    std::string folded;
    folded.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
        if (byte >= 'A' && byte <= 'Z') {
            folded += static_cast<char>(byte + 0x20);
        } else if ((byte == 0xD0 && (next == 0x81 || next == 0xB5)) ||
                   (byte == 0xD1 && next == 0x91)) {
            folded += "е";  // Ё, е, ё
            ++i;
        } else if (byte == 0xD0 && next >= 0x90 && next <= 0x9F) {
            folded += static_cast<char>(0xD0);  // А..П to а..п
            folded += static_cast<char>(next + 0x20);
            ++i;
        } else if (byte == 0xD0 && next >= 0xA0 && next <= 0xAF) {
            folded += static_cast<char>(0xD1);  // Р..Я to р..я
            folded += static_cast<char>(next - 0x20);
            ++i;
        } else {
            folded += static_cast<char>(byte);
        }
    }
    return folded;
}

// A header as it is compared: letters folded, the unit after a comma or in
// brackets dropped, blanks of every kind as one.
std::string HeaderKey(std::string_view header) {
    header = header.substr(0, header.find_first_of(",("));
    std::string key;
    for (std::size_t i = 0; i < header.size();) {
        if (const std::size_t blank = BlankAt(header.substr(i))) {
            if (!key.empty() && key.back() != ' ') {
                key += ' ';
            }
            i += blank;
        } else {
            key += header[i++];
        }
    }
    if (!key.empty() && key.back() == ' ') {
        key.pop_back();
    }
    return FoldHeaderLetters(key);
}

// Names a spreadsheet user gives the inputs besides the journal's own
// headers, already as HeaderKey makes them.
struct InputNames {
    LineInput input;
    std::vector<std::string_view> aliases;
};

const std::vector<InputNames>& InputAliases() {
    static const std::vector<InputNames> aliases = {
        {LineInput::Designation, {"обозначение", "линия", "наименование линии"}},
        {LineInput::Power, {"мощность нагрузки", "p"}},
        {LineInput::CosPhi,
         {"cos f", "cosφ", "cos phi", "коэффициент мощности", "коэф. мощности", "козф. мощности"}},
        {LineInput::Voltage, {"напряжение"}},
        {LineInput::Length, {"длина трассы", "длина линии"}},
        {LineInput::Temperature, {"температура"}},
        {LineInput::Table, {"таблица", "таблица допустимых токов"}},
        {LineInput::Grouping,
         {"коэффициент группировки", "коэффициент количества кабелей", "коэф. группировки"}},
        {LineInput::Series, {"серия", "автомат"}},
        {LineInput::Transformer, {}},
        {LineInput::PermittedDrop,
         {"допустимое падение напряжения", "допустимые потери напряжения"}},
    };
    return aliases;
}

std::optional<LineInput> InputOfHeader(std::string_view header) {
    const std::string key = HeaderKey(header);
    for (const InputNames& names : InputAliases()) {
        const auto column = static_cast<JournalColumn>(names.input);
        if (key == HeaderKey(ColumnLayout(column).header) ||
            std::find(names.aliases.begin(), names.aliases.end(), key) != names.aliases.end()) {
            return names.input;
        }
    }
    return std::nullopt;
}

bool IsResultHeader(std::string_view header) {
    const std::string key = HeaderKey(header);
    for (std::size_t c = kLineInputCount; c < kJournalColumnCount; ++c) {
        if (key == HeaderKey(ColumnLayout(ColumnAt(c)).header)) {
            return true;
        }
    }
    return false;
}

// "A", ..., "Z", "AA", ... as a spreadsheet names its columns.
std::string ColumnLetters(std::size_t column) {
    std::string letters;
    for (; column > 0; column = (column - 1) / 26) {
        letters.insert(letters.begin(), static_cast<char>('A' + (column - 1) % 26));
    }
    return letters;
}

// ---- Cells -----------------------------------------------------------------

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// "1 234,5" as a Russian spreadsheet formats a number: the blanks (ordinary
// or no-break) between groups of three digits go. Anything else is left for
// the number rules to judge.
std::string WithoutDigitGroups(std::string_view text) {
    std::size_t i = text.starts_with('-') || text.starts_with('+') ? 1 : 0;
    const std::size_t first = i;
    while (i < text.size() && IsDigit(text[i])) {
        ++i;
    }
    if (i == first || i - first > 3) {
        return std::string(text);
    }
    std::string plain(text.substr(0, i));
    bool grouped = false;
    while (const std::size_t blank = BlankAt(text.substr(i))) {
        const std::size_t group = i + blank;
        if (group + 3 > text.size() ||
            !std::all_of(text.begin() + group, text.begin() + group + 3, IsDigit)) {
            return std::string(text);
        }
        if (group + 3 < text.size() && IsDigit(text[group + 3])) {
            return std::string(text);
        }
        plain.append(text.substr(group, 3));
        i = group + 3;
        grouped = true;
    }
    return grouped ? plain + std::string(text.substr(i)) : std::string(text);
}

struct CellReading {
    std::string text;    // the input's text, when taken
    std::string reason;  // why not, when refused
};

CellReading ReadNumber(std::string_view cell, bool percent, Dialect dialect, NumberFormat format) {
    std::string_view text = cell;
    if (percent && text.ends_with('%')) {
        text = Trim(text.substr(0, text.size() - 1));
    }
    const std::string plain = WithoutDigitGroups(text);
    double value = 0;
    if (TryStrToFloat(plain, dialect.numbers, value)) {
        return {ChangeSeparator(plain, dialect.numbers, format), {}};
    }
    const NumberFormat other{dialect.numbers.decimalSeparator == ',' ? '.' : ','};
    if (TryStrToFloat(plain, other, value)) {
        return {{},
                dialect.numbers.decimalSeparator == ','
                    ? "не является числом: в файле с точкой с запятой между ячейками дробная "
                      "часть отделяется запятой"
                    : "не является числом: в файле с запятой между ячейками дробная часть "
                      "отделяется точкой"};
    }
    return {{}, "не является числом"};
}

// The voltage option as compared: blanks, and the letter's case and script
// (x, х, ×, *), are where people differ in writing it.
std::string VoltageKey(std::string_view text) {
    std::string key;
    for (std::size_t i = 0; i < text.size();) {
        const std::string_view rest = text.substr(i);
        if (const std::size_t blank = BlankAt(rest)) {
            i += blank;
            continue;
        }
        const std::array<std::string_view, 6> times{"x", "X", "х", "Х", "×", "*"};
        const auto sign = std::find_if(times.begin(), times.end(),
                                       [rest](std::string_view t) { return rest.starts_with(t); });
        key += sign != times.end() ? 'x' : rest.front();
        i += sign != times.end() ? sign->size() : 1;
    }
    return key;
}

CellReading ReadVoltage(std::string_view cell) {
    const std::string typed = VoltageKey(cell);
    std::string listed;
    for (int index = 0; const VoltageOption* option = FindVoltageOption(index); ++index) {
        if (VoltageKey(option->item) == typed) {
            return {std::string(option->item), {}};
        }
        listed += (index > 0 ? ", " : "") + Quoted(option->item);
    }
    return {{}, "не является напряжением сети (" + listed + ")"};
}

// A text that a spreadsheet would run as a formula gets an apostrophe when
// exported, and an imported cell drops it again. A text typed with such
// apostrophes already ("'=x") gets one more, so that it comes back as typed.
bool StartsLikeFormula(std::string_view text) {
    const std::size_t first = text.find_first_not_of('\'');
    return first != std::string_view::npos &&
           std::string_view("=+-@").find(text[first]) != std::string_view::npos;
}

std::string WithoutFormulaGuard(std::string_view text) {
    return std::string(text.starts_with('\'') && StartsLikeFormula(text) ? text.substr(1) : text);
}

CellReading ReadCell(LineInput input, std::string_view cell, Dialect dialect, NumberFormat format) {
    switch (input) {
        case LineInput::Power:
        case LineInput::CosPhi:
        case LineInput::Length:
        case LineInput::Temperature:
        case LineInput::Grouping:
        case LineInput::PermittedDrop:
            return ReadNumber(Trim(cell), input == LineInput::PermittedDrop, dialect, format);
        case LineInput::Voltage:
            return ReadVoltage(cell);
        case LineInput::Designation:
        case LineInput::Table:
        case LineInput::Series:
        case LineInput::Transformer:
            return {WithoutFormulaGuard(cell), {}};
    }
    return {};
}

// ---- Records ---------------------------------------------------------------

struct Record {
    std::size_t row = 0;
    std::vector<std::string> cells;
};

// The records of the text with their spreadsheet row numbers: libcsv skips
// blank lines, which a spreadsheet shows as rows, so it is asked to report
// every line end and the rows are counted here.
class RecordReader {
public:
    explicit RecordReader(Dialect dialect) {
        if (::csv_init(&parser_, CSV_STRICT | CSV_STRICT_FINI | CSV_REPALL_NL) != 0) {
            throw std::bad_alloc();
        }
        ::csv_set_delim(&parser_, dialect.delimiter);
    }
    RecordReader(const RecordReader&) = delete;
    RecordReader& operator=(const RecordReader&) = delete;
    ~RecordReader() { ::csv_free(&parser_); }

    std::vector<Record> Read(std::string_view text) {
        const std::size_t parsed =
            ::csv_parse(&parser_, text.data(), text.size(), &Cell, &RecordEnd, this);
        if (parsed != text.size() || ::csv_fini(&parser_, &Cell, &RecordEnd, this) != 0) {
            if (::csv_error(&parser_) == CSV_ENOMEM || ::csv_error(&parser_) == CSV_ETOOBIG) {
                throw std::bad_alloc();
            }
            throw UserError("Кавычки в строке " + std::to_string(row_ + 1) +
                            " не закрыты или стоят внутри ячейки без кавычек: файл повреждён "
                            "или не является файлом CSV.");
        }
        return std::move(records_);
    }

private:
    static void Cell(void* data, std::size_t size, void* self) {
        auto& reader = *static_cast<RecordReader*>(self);
        reader.cells_.emplace_back(static_cast<const char*>(data), size);
    }
    static void RecordEnd(int end, void* self) {
        auto& reader = *static_cast<RecordReader*>(self);
        const int previous = std::exchange(reader.lastEnd_, end);
        if (reader.cells_.empty()) {
            // The line feed of a CR LF pair ends no row of its own.
            if (!(end == CSV_LF && previous == CSV_CR)) {
                ++reader.row_;
            }
            return;
        }
        reader.records_.push_back({++reader.row_, std::move(reader.cells_)});
        reader.cells_.clear();
    }

    csv_parser parser_{};
    std::vector<Record> records_;
    std::vector<std::string> cells_;
    std::size_t row_ = 0;
    int lastEnd_ = 0;
};

// Semicolons when the header row has one outside quotes, as a Russian
// spreadsheet writes; otherwise commas with a decimal point. The headers
// decide because their texts have no semicolons, and a comma in a header
// ("Мощность, кВт") stands inside quotes in a comma-separated file.
Dialect DetectDialect(std::string_view text) {
    bool quoted = false;
    for (const char c : text) {
        if (c == '"') {
            quoted = !quoted;
        } else if (!quoted && (c == '\n' || c == '\r')) {
            break;
        } else if (!quoted && c == ';') {
            return Dialect{';', {','}};
        }
    }
    return Dialect{',', {'.'}};
}

bool IsEmptyRecord(const Record& record) {
    return std::all_of(record.cells.begin(), record.cells.end(),
                       [](const std::string& cell) { return Trim(cell).empty(); });
}

// ---- Export ----------------------------------------------------------------

// Quoted only when it must be, so that a spreadsheet reads a number as a
// number; quotes doubled as libcsv writes them.
void AppendCsvCell(std::string& out, std::string_view cell) {
    const bool quote = cell.find_first_of(";\"\r\n") != std::string_view::npos ||
                       (!cell.empty() && (IsBlank(cell.front()) || IsBlank(cell.back())));
    if (!quote) {
        out += cell;
        return;
    }
    std::string quoted(cell.size() * 2 + 2, '\0');
    quoted.resize(::csv_write2(quoted.data(), quoted.size(), cell.data(), cell.size(), '"'));
    out += quoted;
}

}  // namespace

std::string RefusedCellMessage(const RefusedCell& cell) {
    return "Строка " + std::to_string(cell.row) + ", столбец " + ColumnLetters(cell.column) + " (" +
           Quoted(cell.header) + "): " + Quoted(cell.text) + " " + cell.reason + ".";
}

CsvImport ParseJournalCsv(std::string_view bytes, NumberFormat format) {
    const std::string text = DecodeText(bytes);
    const Dialect dialect = DetectDialect(text);
    std::vector<Record> records = RecordReader(dialect).Read(text);
    if (records.empty()) {
        throw UserError("В файле нет строки заголовков.");
    }
    CsvImport imported;
    const Record& header = records.front();
    // The input each column of the file fills.
    std::vector<std::optional<LineInput>> inputs(header.cells.size());
    std::array<std::size_t, kLineInputCount> taken{};  // column + 1, or 0
    for (std::size_t c = 0; c < header.cells.size(); ++c) {
        const std::string& name = header.cells[c];
        const std::optional<LineInput> input = InputOfHeader(name);
        if (!input) {
            if (!Trim(name).empty() && !IsResultHeader(name)) {
                imported.ignoredColumns.push_back(name);
            }
            continue;
        }
        std::size_t& column = taken[static_cast<std::size_t>(*input)];
        if (column != 0) {
            imported.refused.push_back(
                {header.row, c + 1, name, name,
                 "повторяет столбец " + ColumnLetters(column) + ", не использован"});
            continue;
        }
        column = c + 1;
        inputs[c] = input;
    }
    if (std::all_of(taken.begin(), taken.end(), [](std::size_t column) { return column == 0; })) {
        throw UserError(
            "В первой строке файла нет ни одного заголовка столбца журнала линий (например, "
            "«Обозначение линии», «Мощность, кВт», «Длина, м»).");
    }
    for (auto record = records.begin() + 1; record != records.end(); ++record) {
        if (IsEmptyRecord(*record)) {
            continue;
        }
        JournalLine& line = imported.lines.emplace_back();
        for (std::size_t c = 0; c < inputs.size() && c < record->cells.size(); ++c) {
            const std::string& cell = record->cells[c];
            if (!inputs[c] || Trim(cell).empty()) {
                continue;
            }
            CellReading reading = ReadCell(*inputs[c], cell, dialect, format);
            if (reading.reason.empty()) {
                line.inputs[*inputs[c]] = std::move(reading.text);
            } else {
                imported.refused.push_back(
                    {record->row, c + 1, header.cells[c], cell, std::move(reading.reason)});
            }
        }
    }
    return imported;
}

CsvImport ImportJournalCsv(const fs::path& path, NumberFormat format) {
    std::error_code error;
    const std::uintmax_t size = fs::file_size(path, error);
    if (!error && size > kLargestCsvFile) {
        throw FileError("Файл " + Quoted(path.string()) + " слишком велик для списка линий (" +
                        std::to_string(size >> 20) + " МБ, не больше " +
                        std::to_string(kLargestCsvFile >> 20) + " МБ).");
    }
    const std::string bytes = ReadFileBytes(path);
    try {
        return ParseJournalCsv(bytes, format);
    } catch (const UserError& problem) {
        throw FileError("Строки из файла " + Quoted(path.string()) + " не добавлены. " +
                        problem.what());
    }
}

std::string JournalCsvText(const std::vector<JournalLine>& lines, NumberFormat format) {
    // The byte-order mark is how a spreadsheet opened with a double click
    // learns that the file is UTF-8; without it, Russian spreadsheets read
    // it in the Windows code page and every letter comes out garbled.
    // Semicolons and a decimal comma are what such a spreadsheet expects,
    // and CR LF the line end it writes itself.
    constexpr NumberFormat kCsvFormat{','};
    std::string out(kByteOrderMark);
    for (std::size_t c = 0; c < kJournalColumnCount; ++c) {
        out += c > 0 ? ";" : "";
        AppendCsvCell(out, ColumnLayout(ColumnAt(c)).header);
    }
    out += "\r\n";
    for (const JournalLine& line : lines) {
        for (std::size_t c = 0; c < kJournalColumnCount; ++c) {
            const JournalColumn column = ColumnAt(c);
            out += c > 0 ? ";" : "";
            const std::string text = CellText(line, column, format);
            if (!CellNumber(line, column, format)) {
                AppendCsvCell(out, StartsLikeFormula(text) ? "'" + text : text);
            } else if (InputOf(column)) {
                AppendCsvCell(out, ChangeSeparator(text, format, kCsvFormat));
            } else {
                AppendCsvCell(out, CellText(line, column, kCsvFormat));
            }
        }
        out += "\r\n";
    }
    return out;
}

void ExportJournalCsv(const fs::path& path, const std::vector<JournalLine>& lines,
                      NumberFormat format) {
    WriteFileAtomically(path, JournalCsvText(lines, format));
}

}  // namespace kalvenor
