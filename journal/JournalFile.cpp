#include "journal/JournalFile.h"

#include "base/Files.h"
#include "journal/JournalColumns.h"
#include "tables/DataPacket.h"

#include <array>
#include <string>
#include <system_error>

namespace kalvenor {

namespace {

namespace fs = std::filesystem;

// A file holds its figures with a point, whatever the user's separator, so
// that a journal reads the same on every computer.
constexpr NumberFormat kFileFormat{'.'};

FieldType TypeOf(JournalColumn column) {
    return !InputOf(column) && ColumnLayout(column).numeric ? FieldType::Float : FieldType::String;
}

std::vector<FieldDef> JournalFieldDefs() {
    std::vector<FieldDef> fields;
    for (std::size_t c = 0; c < kJournalColumnCount; ++c) {
        const JournalColumn column = ColumnAt(c);
        fields.push_back({std::string(ColumnLayout(column).header), TypeOf(column), 0, false});
    }
    return fields;
}

std::string NotAJournal(const fs::path& path, const std::string& reason) {
    return "Файл " + Quoted(path.string()) + " не является журналом линий: " + reason + ".";
}

// The position of each column's field in the file; a result column the file
// lacks (written by an older program, or by hand) stays empty.
using FieldPositions = std::array<std::optional<std::size_t>, kJournalColumnCount>;

FieldPositions FindFields(const fs::path& path, const std::vector<FieldDef>& fields) {
    FieldPositions positions;
    for (std::size_t c = 0; c < kJournalColumnCount; ++c) {
        const JournalColumn column = ColumnAt(c);
        const std::string_view header = ColumnLayout(column).header;
        for (std::size_t f = 0; f < fields.size(); ++f) {
            if (fields[f].name == header) {
                if (fields[f].type != TypeOf(column)) {
                    throw FileError(
                        NotAJournal(path, "у столбца " + Quoted(header) + " другой тип данных"));
                }
                positions[c] = f;
            }
        }
        if (!positions[c] && InputOf(column)) {
            throw FileError(NotAJournal(path, "в нём нет столбца " + Quoted(header)));
        }
    }
    return positions;
}

class RowReader {
public:
    RowReader(const fs::path& path, const FieldPositions& positions, const Row& row,
              std::size_t number)
        : path_(path), positions_(positions), row_(row), number_(number) {}

    std::string Text(JournalColumn column) const {
        const Value* value = Cell(column);
        return value == nullptr ? std::string() : std::get<std::string>(*value);
    }
    double Figure(JournalColumn column) const {
        const Value* value = Cell(column);
        if (value == nullptr) {
            throw Damaged("нет значения " + Quoted(ColumnLayout(column).header) +
                          " у рассчитанной линии");
        }
        return std::get<double>(*value);
    }
    FileError Damaged(const std::string& reason) const {
        return FileError("Файл " + Quoted(path_.string()) + " повреждён: в строке " +
                         std::to_string(number_) + " " + reason + ".");
    }

private:
    // Null for an empty cell or a column the file lacks.
    const Value* Cell(JournalColumn column) const {
        const std::optional<std::size_t> position = positions_[static_cast<std::size_t>(column)];
        if (!position || std::holds_alternative<std::monostate>(row_[*position])) {
            return nullptr;
        }
        return &row_[*position];
    }

    const fs::path& path_;
    const FieldPositions& positions_;
    const Row& row_;
    std::size_t number_;
};

JournalLine ReadLine(const RowReader& reader, NumberFormat format) {
    JournalLine line;
    for (std::size_t c = 0; c < kLineInputCount; ++c) {
        const JournalColumn column = ColumnAt(c);
        std::string text = reader.Text(column);
        line.inputs[*InputOf(column)] =
            ColumnLayout(column).numeric ? ChangeSeparator(text, kFileFormat, format) : text;
    }
    const std::string status = reader.Text(JournalColumn::Status);
    if (status.empty()) {
        return line;
    }
    if (status != StatusText(LineResults{})) {
        line.outcome = LineStop{status};
        return line;
    }
    const std::string criterion = reader.Text(JournalColumn::Criterion);
    const std::optional<Criterion> decided = CriterionFromText(criterion);
    if (!decided) {
        throw reader.Damaged("неизвестный критерий выбора сечения " + Quoted(criterion));
    }
    line.outcome = LineResults{
        .nominalCurrent = reader.Figure(JournalColumn::NominalCurrent),
        .section = reader.Figure(JournalColumn::Section),
        .continuousCurrent = reader.Figure(JournalColumn::ContinuousCurrent),
        .breakerCurrent = reader.Figure(JournalColumn::BreakerCurrent),
        .voltageDrop = reader.Figure(JournalColumn::VoltageDrop),
        .shortCircuitCurrent = reader.Figure(JournalColumn::ShortCircuitCurrent),
        .transformer = reader.Text(JournalColumn::TransformerUsed),
        .criterion = *decided,
    };
    return line;
}

Row WriteLine(const JournalLine& line, NumberFormat format) {
    Row row(kJournalColumnCount);
    const auto text = [&row](JournalColumn column, std::string value) {
        if (!value.empty()) {
            row[static_cast<std::size_t>(column)] = std::move(value);
        }
    };
    for (std::size_t c = 0; c < kLineInputCount; ++c) {
        const JournalColumn column = ColumnAt(c);
        const std::string& typed = line.inputs[*InputOf(column)];
        text(column,
             ColumnLayout(column).numeric ? ChangeSeparator(typed, format, kFileFormat) : typed);
    }
    // A stop's message goes whole, line breaks included; the status text
    // folds them.
    if (const LineStop* stop = std::get_if<LineStop>(&line.outcome)) {
        text(JournalColumn::Status, stop->message);
    }
    if (const LineResults* results = std::get_if<LineResults>(&line.outcome)) {
        for (std::size_t c = kLineInputCount; c < kJournalColumnCount; ++c) {
            const JournalColumn column = ColumnAt(c);
            if (TypeOf(column) == FieldType::Float) {
                row[c] = *CellNumber(line, column, format);
            }
        }
        text(JournalColumn::TransformerUsed, results->transformer);
        text(JournalColumn::Criterion, std::string(CriterionText(results->criterion)));
        text(JournalColumn::Status, StatusText(line.outcome));
    }
    return row;
}

}  // namespace

std::vector<JournalLine> ReadJournalFile(const fs::path& path, NumberFormat format) {
    std::error_code error;
    const std::uintmax_t size = fs::file_size(path, error);
    if (!error && size > kLargestJournalFile) {
        throw FileError("Файл " + Quoted(path.string()) + " слишком велик для журнала линий (" +
                        std::to_string(size >> 20) + " МБ, журнал бывает не больше " +
                        std::to_string(kLargestJournalFile >> 20) + " МБ).");
    }
    const DataPacket packet = ReadDataPacket(path);
    const FieldPositions positions = FindFields(path, packet.fields);
    std::vector<JournalLine> lines;
    lines.reserve(packet.rows.size());
    for (std::size_t r = 0; r < packet.rows.size(); ++r) {
        lines.push_back(ReadLine(RowReader(path, positions, packet.rows[r], r + 1), format));
    }
    return lines;
}

std::optional<fs::path> WriteJournalFile(const fs::path& path,
                                         const std::vector<JournalLine>& lines,
                                         NumberFormat format) {
    DataPacket packet{JournalFieldDefs(), {}, {}};
    packet.rows.reserve(lines.size());
    for (const JournalLine& line : lines) {
        packet.rows.push_back(WriteLine(line, format));
    }
    std::optional<fs::path> keptAside;
    std::error_code error;
    if (fs::is_regular_file(path, error)) {
        try {
            ReadJournalFile(path, format);
        } catch (const FileError& failure) {
            // Only a file that was read and found wrong: one that could not
            // be read at all is for the write to report.
            if (failure.Code() == 0) {
                keptAside = KeepAside(path, error);
                if (error) {
                    throw FileError(std::string(failure.what()) + "\nОтложить его не удалось (" +
                                    SystemErrorText(error.value()) + "), журнал не записан.");
                }
            }
        }
    }
    WriteDataPacket(path, packet);
    return keptAside;
}

}  // namespace kalvenor
