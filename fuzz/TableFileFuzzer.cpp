// A table file, and everything the program does with it next.
//
// The input is written as a file and read. A file that is refused must be
// refused alike by every reader, and never replaced. A file that is read
// must give: the same fields to the catalogue's fields-only read; the same
// rows to a dataset, in file order; a stable ascending order by every field;
// cells that the grid can show and a number cell that reads back; a
// write-back that reloads identical and a second write byte for byte the
// same; corrections that stay in memory; a refused write that leaves the
// file as it was. No temporary file may be left at any point.

#include "base/Files.h"
#include "base/Numbers.h"
#include "base/Utf8.h"
#include "tables/Catalogue.h"
#include "tables/CellText.h"
#include "tables/CurrentTables.h"
#include "tables/DataPacket.h"
#include "tables/Databases.h"
#include "tables/Dataset.h"
#include "tables/TableFiles.h"

#include <unistd.h>

#include <pugixml.hpp>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace kalvenor;

constexpr NumberFormat kComma{','};

locale_t CLocale() {
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return locale;
}

fs::path& Directory() {
    static fs::path directory;
    return directory;
}

[[noreturn]] void Fail(const std::string& what) {
    std::fprintf(stderr, "%s\n", what.c_str());
    std::abort();
}

void Check(bool condition, const char* what) {
    if (!condition) {
        Fail(what);
    }
}

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const fs::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    Check(out.good(), "the input could not be written to the work folder");
}

void CheckNoTemporaryFile(const char* when) {
    for (const auto& entry : fs::directory_iterator(Directory())) {
        if (IsTemporaryFileName(entry.path().filename().string())) {
            Fail(std::string("a temporary file is left ") + when + ": " +
                 entry.path().filename().string());
        }
    }
}

// Values compare as the file holds them: a double by its bits, so that -0
// and 0 are not taken for each other.
bool SameValue(const Value& a, const Value& b) {
    if (a.index() != b.index()) {
        return false;
    }
    if (const double* x = std::get_if<double>(&a)) {
        return std::bit_cast<std::uint64_t>(*x) ==
               std::bit_cast<std::uint64_t>(std::get<double>(b));
    }
    return a == b;
}

bool SameRow(const Row& a, const Row& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), SameValue);
}

bool SameRows(const std::vector<Row>& a, const std::vector<Row>& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), SameRow);
}

std::vector<Row> StoredRows(const Dataset& dataset) {
    std::vector<Row> rows;
    for (std::size_t r = 0; r < dataset.RowCount(); ++r) {
        Row row;
        for (std::size_t f = 0; f < dataset.FieldDefs().size(); ++f) {
            row.push_back(dataset.StoredAt(r, f));
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

// A key that tells equal values from different ones, for grouping.
std::string KeyOf(const Value& value) {
    std::string key(1, static_cast<char>('0' + value.index()));
    if (const double* x = std::get_if<double>(&value)) {
        key.append(reinterpret_cast<const char*>(x), sizeof *x);
    } else if (const auto* n = std::get_if<std::int64_t>(&value)) {
        key += std::to_string(*n);
    } else if (const auto* text = std::get_if<std::string>(&value)) {
        key += *text;
    }
    return key;
}

// Whether b may follow a in ascending order: empty values first; -0 and 0
// may stand either way round.
bool NotBefore(const Value& a, const Value& b) {
    if (std::holds_alternative<std::monostate>(a)) {
        return true;
    }
    if (std::holds_alternative<std::monostate>(b) || a.index() != b.index()) {
        return false;
    }
    if (const double* x = std::get_if<double>(&a)) {
        return *x <= std::get<double>(b);
    }
    return !(b < a);
}

// Ordered by the field: ascending, and rows with equal keys in file order.
void CheckOrder(const Dataset& dataset, const std::vector<Row>& fileRows, std::size_t field) {
    const std::vector<Row> rows = StoredRows(dataset);
    Check(rows.size() == fileRows.size(), "ordering changed the number of rows");
    for (std::size_t r = 1; r < rows.size(); ++r) {
        if (!NotBefore(rows[r - 1][field], rows[r][field])) {
            Fail("rows out of order by field \"" + dataset.FieldDefs()[field].name + "\" at row " +
                 std::to_string(r));
        }
    }
    std::map<std::string, std::vector<Row>> inFile;
    std::map<std::string, std::vector<Row>> inOrder;
    for (const Row& row : fileRows) {
        inFile[KeyOf(row[field])].push_back(row);
    }
    for (const Row& row : rows) {
        inOrder[KeyOf(row[field])].push_back(row);
    }
    Check(inFile.size() == inOrder.size(), "ordering changed the set of keys");
    for (const auto& [key, group] : inFile) {
        const auto found = inOrder.find(key);
        if (found == inOrder.end() || !SameRows(group, found->second)) {
            Fail("rows with equal keys in field \"" + dataset.FieldDefs()[field].name +
                 "\" are not in file order");
        }
    }
}

// What the grid shows must be text it can read back: a number as the
// nearest double to its 15 digits, an integer exactly.
void CheckCells(const Dataset& dataset) {
    for (std::size_t r = 0; r < dataset.RowCount(); ++r) {
        for (std::size_t f = 0; f < dataset.FieldDefs().size(); ++f) {
            const FieldDef& field = dataset.FieldDefs()[f];
            const Value value = dataset.At(r, f);
            const std::string text = CellText(value, kComma);
            if (field.type == FieldType::String) {
                // A text longer than its field's width cannot be retyped;
                // any other comes back as it is, an empty cell as no text.
                try {
                    const Value back = ParseCell(field, text, kComma);
                    Check(
                        SameValue(back, value) || (std::holds_alternative<std::monostate>(value) &&
                                                   back == Value(std::string())),
                        "a text cell does not read back");
                } catch (const UserError&) {
                    Check(field.size > 0 && Utf8Length(text) > static_cast<std::size_t>(field.size),
                          "a text cell within its width was refused");
                }
                continue;
            }
            const double* number = std::get_if<double>(&value);
            if (number != nullptr && std::fabs(*number) > 1e308) {
                continue;  // the largest doubles write as a text beyond the range
            }
            const Value back = ParseCell(field, text, kComma);
            if (number != nullptr) {
                char rounded[64];
                std::snprintf(rounded, sizeof rounded, "%.14e", *number);
                const double* got = std::get_if<double>(&back);
                if (got == nullptr || *got != std::strtod(rounded, nullptr)) {
                    Fail("the cell text \"" + text + "\" does not read back");
                }
            } else {
                Check(SameValue(back, value), "a cell does not read back");
            }
        }
    }
}

// The checks a grid makes before it posts a row must take every row of a
// file: a refusal is a message, never a fault.
void CheckPostRules(const Dataset& dataset) {
    for (std::size_t r = 0; r < dataset.RowCount(); ++r) {
        const Row row = dataset.RowAt(r);
        dataset.PostError(row, r, PostRules{});
        dataset.PostError(row, std::nullopt, PostRules{true, true});
    }
}

// A value that no table file can hold in the field.
Value Unfit(FieldType type) {
    switch (type) {
        case FieldType::Float:
            return std::nan("");
        case FieldType::Integer:
            return 1.5;
        case FieldType::String:
            return std::string("a\0b", 3);
    }
    return {};
}

// An edit with a value no file can hold is refused before anything changes;
// a write of definitions no file can hold is refused before any file is
// touched. The file stays as it was either way.
void CheckRefusals(Dataset& dataset, const fs::path& path) {
    const std::string before = ReadBytes(path);
    const std::vector<FieldDef> fields = dataset.FieldDefs();
    if (!fields.empty()) {
        const std::vector<Row> rows = StoredRows(dataset);
        Row bad(fields.size());
        bad.back() = Unfit(fields.back().type);
        try {
            if (rows.empty()) {
                dataset.InsertRow(bad);
            } else {
                dataset.UpdateRow(rows.size() - 1, bad);
            }
            Fail("an edit with an unfit value was not refused");
        } catch (const std::invalid_argument&) {
        }
        Check(SameRows(StoredRows(dataset), rows) && !dataset.Modified(),
              "a refused edit changed the table");
    }
    std::vector<FieldDef> twice = fields;
    twice.push_back(fields.empty() ? FieldDef{} : fields.front());  // a name twice, or none
    Dataset unwritable;
    unwritable.Create(twice, dataset.IndexDefs());
    try {
        unwritable.Write(path);
        Fail("a write of unfit definitions was not refused");
    } catch (const FileError&) {
    }
    Check(ReadBytes(path) == before, "a refused write changed the file");
    CheckNoTemporaryFile("after a refused write");
}

// The start-up path of a database: a file it cannot use is kept aside under
// a new name, never overwritten, and an empty database takes its place.
void CheckDatabase(std::string_view bytes, bool readable, const std::vector<FieldDef>& fields) {
    const fs::path path = Directory() / std::string(kBreakerFileName);
    WriteBytes(path, bytes);
    bool usable = readable;
    for (const FieldDef& wanted : BreakerFieldDefs()) {
        const auto found = std::find_if(fields.begin(), fields.end(), [&](const FieldDef& field) {
            return field.name == wanted.name && field.type == wanted.type;
        });
        usable = usable && found != fields.end();
    }
    Dataset dataset;
    const std::optional<std::string> warning =
        OpenDatabase(dataset, path, BreakerFieldDefs(), {}, std::string(kMaxCurrentField));
    // One whose rows hold what a write would drop opens read-only, bound to
    // nothing, and says so.
    const bool readOnly = usable && dataset.ReadOnlyReason().has_value();
    Check(warning.has_value() != (usable && !readOnly),
          "a database was judged otherwise than its fields");
    Check(!readOnly || warning == dataset.ReadOnlyReason(),
          "a read-only database does not say why");
    Check(dataset.Active() && dataset.BoundFile() == (readOnly ? fs::path() : path),
          "a database is not open and bound (or read-only)");
    if (usable) {
        Check(ReadBytes(path) == bytes, "opening a database changed its file");
    } else {
        Check(ReadBytes(fs::path(path) += ".bad") == bytes, "a damaged database was not kept");
        Check(dataset.RowCount() == 0 && ReadDataPacket(path).fields == BreakerFieldDefs(),
              "a damaged database was not replaced by an empty one");
    }
    dataset.Bind({});
    dataset.Close();
    fs::remove(path);
    fs::remove(fs::path(path) += ".bad");
    CheckNoTemporaryFile("after opening a database");
}

void CheckRefusedFile(const fs::path& path, std::string_view bytes) {
    try {
        ReadFieldDefs(path);  // may succeed: the damage may lie in the rows
    } catch (const FileError&) {
    }
    Dataset dataset;
    try {
        dataset.OpenFile(path);
        Fail("a dataset read a file the reader refuses");
    } catch (const FileError&) {
    }
    Check(!dataset.Active() && dataset.BoundFile().empty(),
          "a refused file left the dataset open or bound");
    Dataset table;
    try {
        OpenCurrentTable(table, Directory(), path.filename().string());
        Fail("a refused file opened as a current table");
    } catch (const FileError&) {
    }
    Check(!table.Active() && table.BoundFile().empty(),
          "a refused current table left the dataset open or bound");
    Check(ReadBytes(path) == bytes, "a refused file was changed");
    CheckDatabase(bytes, false, {});
}

// The rows as the XML library and the C library read them: the reference
// for the reader's own quick paths. Only for a file the reader accepted.
std::vector<Row> ReferenceRows(std::string_view bytes, const std::vector<FieldDef>& fields) {
    std::string text(bytes);
    pugi::xml_document document;
    if (!document.load_buffer_inplace(text.data(), text.size(), pugi::parse_escapes,
                                      pugi::encoding_auto)) {
        Fail("the reader accepted a file the XML library refuses");
    }
    std::vector<Row> rows;
    for (pugi::xml_node node : document.document_element().child("ROWDATA").children()) {
        if (node.type() != pugi::node_element) {
            continue;
        }
        Row& row = rows.emplace_back(fields.size());
        for (pugi::xml_attribute attribute : node.attributes()) {
            const std::string_view name = attribute.name();
            const std::string_view digits = name.substr(1);
            std::size_t position = fields.size();
            if (name.size() >= 2 && name[0] == 'c' && (digits == "0" || digits[0] != '0') &&
                digits.find_first_not_of("0123456789") == std::string_view::npos &&
                digits.size() < 10) {
                position = std::stoul(std::string(digits));
            }
            if (position >= fields.size() ||
                !std::holds_alternative<std::monostate>(row[position])) {
                Fail("the reader accepted a cell named \"" + std::string(name) + "\"");
            }
            const char* value = attribute.value();
            const std::size_t length = std::strlen(value);
            char* end = nullptr;
            switch (fields[position].type) {
                case FieldType::Float:
                    row[position] = strtod_l(value, &end, CLocale());
                    break;
                case FieldType::Integer:
                    errno = 0;
                    row[position] = static_cast<std::int64_t>(std::strtoll(value, &end, 10));
                    if (errno != 0) {
                        end = nullptr;
                    }
                    break;
                case FieldType::String:
                    row[position] = std::string(value, length);
                    end = const_cast<char*>(value) + length;
                    break;
            }
            if (end != value + length ||
                (length == 0 && fields[position].type != FieldType::String)) {
                Fail("the reader took \"" + std::string(value) + "\" for a number");
            }
        }
    }
    return rows;
}

// The reader's quick way and the XML library's whole way give the same: a
// comment before the rows takes the quick way out of the picture. Only where
// the comment stands between two elements for sure.
void CheckWholeWay(std::string_view bytes, const DataPacket& packet) {
    constexpr std::string_view kEnd = "</METADATA>";
    const std::size_t end = bytes.find(kEnd);
    const std::string_view before = bytes.substr(0, end);
    const auto open = [before](std::string_view start, std::string_view stop) {
        const std::size_t at = before.rfind(start);
        return at != std::string_view::npos && before.find(stop, at) == std::string_view::npos;
    };
    if (end == std::string_view::npos || open("<!--", "-->") || open("<?", "?>") ||
        open("<![CDATA[", "]]>") || before.find("<!DOCTYPE") != std::string_view::npos) {
        return;
    }
    std::string whole(bytes.substr(0, end + kEnd.size()));
    whole += "<!---->";
    whole += bytes.substr(end + kEnd.size());
    const fs::path path = Directory() / "whole.xml";
    WriteBytes(path, whole);
    DataPacket read;
    try {
        read = ReadDataPacket(path);
    } catch (const FileError& error) {
        Fail(std::string("the whole way refuses what the quick way read: ") + error.what());
    }
    if (read.fields == packet.fields && read.indexes == packet.indexes) {
        Check(SameRows(read.rows, packet.rows), "the whole way reads other rows");
    }
    fs::remove(path);
}

void CheckAcceptedFile(const fs::path& path, std::string_view bytes, const DataPacket& packet) {
    if (ReadFieldDefs(path) != packet.fields) {
        Fail("the fields-only read differs from the full read");
    }
    if (!SameRows(ReferenceRows(bytes, packet.fields), packet.rows)) {
        Fail("the rows differ from the XML and C libraries' reading");
    }
    CheckWholeWay(bytes, packet);
    const std::string name = path.filename().string();

    // The catalogue and the main window's choice of a table.
    for (int option = 0; option < 3; ++option) {
        const CatalogueScan scan = ScanCatalogue(Directory(), option, kComma);
        if (std::find(scan.tables.begin(), scan.tables.end(), name) != scan.tables.end()) {
            Check(!CurrentTableProblem(packet.fields, name), "the catalogue lists a non-table");
        }
    }
    {
        Dataset table;
        const bool isTable = !CurrentTableProblem(packet.fields, name);
        try {
            Check(OpenCurrentTable(table, Directory(), name), "an existing table was not found");
            Check(isTable, "a non-table opened as a current table");
            // One whose rows hold what a write would drop opens read-only,
            // bound to nothing.
            Check(
                (table.ReadOnlyReason() ? table.BoundFile().empty() : table.BoundFile() == path) &&
                    table.Order() == kSectionField,
                "a current table is not bound (or read-only) and ordered by section");
        } catch (const FileError&) {
            Check(!isTable, "a current table was refused");
            Check(!table.Active() && table.BoundFile().empty(),
                  "a refused current table left the dataset open or bound");
        }
        table.Close();
        Check(ReadBytes(path) == bytes, "opening and closing a current table changed its file");
    }

    // A dataset over the file.
    Dataset dataset;
    dataset.OpenFile(path);
    Check(dataset.FieldDefs() == packet.fields && dataset.IndexDefs() == packet.indexes,
          "the dataset's definitions differ from the file's");
    Check(SameRows(StoredRows(dataset), packet.rows), "the dataset's rows differ from the file's");
    CheckCells(dataset);
    CheckPostRules(dataset);
    const std::size_t fields = packet.fields.size();
    for (std::size_t f = 0; f < fields; ++f) {
        dataset.SetOrder(packet.fields[f].name);
        CheckOrder(dataset, packet.rows, f);
    }
    dataset.SetOrder("");
    Check(SameRows(StoredRows(dataset), packet.rows), "no order is not the file order");

    // Corrections of the first number field, seen in memory only.
    const auto number = std::find_if(packet.fields.begin(), packet.fields.end(),
                                     [](const FieldDef& f) { return f.type == FieldType::Float; });
    if (number != packet.fields.end()) {
        const auto field = static_cast<std::size_t>(number - packet.fields.begin());
        // By bytes of the input, so that the fuzzer reaches every order.
        const std::size_t orderBy = bytes.empty() ? 0 : static_cast<std::uint8_t>(bytes.back());
        dataset.SetOrder(orderBy % 2 == 0 ? number->name : packet.fields[orderBy % fields].name);
        dataset.ApplyCorrection(number->name, 0.91, 0.8);
        Check(dataset.Corrected() && !dataset.Modified(), "a correction marked the table modified");
        for (std::size_t r = 0; r < dataset.RowCount(); ++r) {
            const Value storedValue = dataset.StoredAt(r, field);
            const Value workingValue = dataset.At(r, field);
            const double* stored = std::get_if<double>(&storedValue);
            const double* working = std::get_if<double>(&workingValue);
            Check((stored == nullptr) == (working == nullptr), "a correction filled an empty cell");
            Check(stored == nullptr || std::fabs(*working) <= std::fabs(*stored),
                  "a correction by 0.728 grew a value");
        }
        // A corrected table is ordered by what it shows.
        const std::size_t key = *dataset.FindField(dataset.Order());
        for (std::size_t r = 1; r < dataset.RowCount(); ++r) {
            Check(NotBefore(dataset.At(r - 1, key), dataset.At(r, key)),
                  "a corrected table is out of order");
        }
        // Closing without an edit writes nothing.
        dataset.Close();
        Check(ReadBytes(path) == bytes, "closing a corrected table wrote it");
        dataset.OpenFile(path);
        dataset.SetOrder(orderBy % 2 == 0 ? number->name : packet.fields[orderBy % fields].name);
        dataset.ApplyCorrection(number->name, 0.91, 0.8);
    }

    // An edit that changes no value, so that every row is written beside
    // the corrected ones (at once or at the close).
    if (dataset.RowCount() > 0) {
        const std::size_t last = dataset.RowCount() - 1;
        dataset.UpdateRow(last, StoredRows(dataset)[last]);
    } else {
        dataset.InsertRow(Row(fields));
    }
    const std::vector<Row> expected = StoredRows(dataset);
    const bool readOnly = dataset.ReadOnlyReason().has_value();
    dataset.Close();
    CheckNoTemporaryFile("after a write-back");
    if (readOnly) {
        // A file holding among its rows what a write would drop is never
        // written: the edit stays in memory.
        Check(ReadBytes(path) == bytes, "a table opened read-only was written");
        CheckDatabase(bytes, true, packet.fields);
        return;
    }
    const DataPacket written = ReadDataPacket(path);
    Check(written.fields == packet.fields && written.indexes == packet.indexes,
          "the written definitions differ");
    Check(SameRows(written.rows, expected), "the written rows are not the stored rows");

    // A file the program wrote reloads as written, and is written again byte
    // for byte the same.
    const std::string first = ReadBytes(path);
    const fs::path again = Directory() / "again.xml";
    dataset.SetOrder("");
    dataset.OpenFile(path);
    Check(SameRows(StoredRows(dataset), expected), "the reloaded rows differ from the written");
    dataset.Write(again);
    Check(ReadBytes(again) == first, "a second write differs from the first");
    fs::remove(again);
    CheckNoTemporaryFile("after a second write");

    CheckRefusals(dataset, path);
    dataset.Close();
    CheckDatabase(bytes, true, packet.fields);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Every write is flushed to the disk; in memory that costs nothing.
    const fs::path base =
        fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
    Directory() = base / ("kalvenor-fuzz-" + std::to_string(::getpid()));
    fs::create_directories(Directory());
    std::atexit([] {
        std::error_code ignored;
        fs::remove_all(Directory(), ignored);
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    for (const auto& entry : fs::directory_iterator(Directory())) {
        fs::remove_all(entry.path());
    }
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const fs::path path = Directory() / "t.xml";
    WriteBytes(path, bytes);
    DataPacket packet;
    try {
        packet = ReadDataPacket(path);
    } catch (const FileError&) {
        CheckRefusedFile(path, bytes);
        return 0;
    }
    CheckAcceptedFile(path, bytes, packet);
    return 0;
}
