#include "journal/JournalXlsx.h"

#include "base/Files.h"
#include "base/Utf8.h"
#include "journal/JournalColumns.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>

namespace kalvenor {

namespace {

namespace fs = std::filesystem;

// Wider than this a column would push the rest off the screen; its text
// wraps instead.
constexpr std::size_t kWidestColumn = 60;

// libxlsxwriter writes only to a file of its own opening, so the workbook is
// put together in a folder of our own and then moved to its place the way
// every file of the program is written.
class ScratchFolder {
public:
    ScratchFolder() {
        std::string name = (fs::temp_directory_path() / "kalvenor-xlsx-XXXXXX").string();
        if (::mkdtemp(name.data()) == nullptr) {
            throw FileError("Не удалось создать временную папку для книги XLSX: " +
                                SystemErrorText(errno) + ".",
                            errno);
        }
        path_ = name;
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    ~ScratchFolder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    const fs::path& Path() const { return path_; }

private:
    fs::path path_;
};

// The widest word of a header that wraps, or the widest cell.
std::size_t WidestWord(std::string_view text) {
    std::size_t widest = 0;
    for (std::size_t begin = 0; begin <= text.size();) {
        const std::size_t end = std::min(text.find(' ', begin), text.size());
        widest = std::max(widest, Utf8Length(text.substr(begin, end - begin)));
        begin = end + 1;
    }
    return widest;
}

class Workbook {
public:
    // Built in `file`, reported as `target`.
    Workbook(const fs::path& file, fs::path target) : target_(std::move(target)) {
        lxw_workbook_options options{};
        workbook_ = ::workbook_new_opt(file.c_str(), &options);
        if (workbook_ == nullptr) {
            throw Failure("книгу не удалось создать");
        }
    }
    Workbook(const Workbook&) = delete;
    Workbook& operator=(const Workbook&) = delete;
    ~Workbook() {
        if (workbook_ != nullptr) {
            ::workbook_close(workbook_);
        }
    }

    lxw_workbook* Get() const { return workbook_; }
    void Check(lxw_error error) const {
        if (error != LXW_NO_ERROR) {
            throw Failure(::lxw_strerror(error));
        }
    }
    void Close() { Check(::workbook_close(std::exchange(workbook_, nullptr))); }

private:
    FileError Failure(const std::string& detail) const {
        return FileError("Не удалось записать файл " + Quoted(target_.string()) +
                         " в формате XLSX: " + detail + ".");
    }

    fs::path target_;
    lxw_workbook* workbook_ = nullptr;
};

void WriteSheet(Workbook& book, const std::vector<JournalLine>& lines, NumberFormat format) {
    lxw_worksheet* sheet = ::workbook_add_worksheet(book.Get(), "Журнал линий");
    lxw_format* header = ::workbook_add_format(book.Get());
    ::format_set_bold(header);
    ::format_set_text_wrap(header);
    ::format_set_align(header, LXW_ALIGN_VERTICAL_TOP);
    lxw_format* cell = ::workbook_add_format(book.Get());
    ::format_set_align(cell, LXW_ALIGN_VERTICAL_TOP);

    std::array<std::size_t, kJournalColumnCount> widths{};
    for (std::size_t c = 0; c < kJournalColumnCount; ++c) {
        const JournalColumnLayout& layout = ColumnLayout(ColumnAt(c));
        widths[c] = std::max(static_cast<std::size_t>(layout.width), WidestWord(layout.header));
        book.Check(::worksheet_write_string(sheet, 0, static_cast<lxw_col_t>(c),
                                            std::string(layout.header).c_str(), header));
    }
    for (std::size_t r = 0; r < lines.size(); ++r) {
        const auto row = static_cast<lxw_row_t>(r + 1);
        for (std::size_t c = 0; c < kJournalColumnCount; ++c) {
            const JournalColumn column = ColumnAt(c);
            const auto at = static_cast<lxw_col_t>(c);
            const std::string text = CellText(lines[r], column, format);
            widths[c] = std::max(widths[c], std::min(Utf8Length(text), kWidestColumn));
            if (const std::optional<double> number = CellNumber(lines[r], column, format)) {
                book.Check(::worksheet_write_number(sheet, row, at, *number, cell));
            } else if (!text.empty()) {
                book.Check(::worksheet_write_string(sheet, row, at, text.c_str(), cell));
            }
        }
    }
    for (std::size_t c = 0; c < kJournalColumnCount; ++c) {
        const auto at = static_cast<lxw_col_t>(c);
        book.Check(
            ::worksheet_set_column(sheet, at, at, static_cast<double>(widths[c]) + 2, nullptr));
    }
    ::worksheet_freeze_panes(sheet, 1, 0);
    book.Check(::worksheet_autofilter(sheet, 0, 0, static_cast<lxw_row_t>(lines.size()),
                                      static_cast<lxw_col_t>(kJournalColumnCount - 1)));
}

}  // namespace

void ExportJournalXlsx(const fs::path& path, const std::vector<JournalLine>& lines,
                       NumberFormat format) {
    const ScratchFolder scratch;
    const fs::path built = scratch.Path() / "journal.xlsx";
    Workbook book(built, path);
    WriteSheet(book, lines, format);
    book.Close();
    WriteFileAtomically(path, ReadFileBytes(built));
}

}  // namespace kalvenor
