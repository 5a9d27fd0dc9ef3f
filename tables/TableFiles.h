#pragma once

#include "tables/Dataset.h"

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kalvenor {

inline constexpr std::string_view kBreakerFileName = "Avtomat.xml";
// A table file name of as many characters as the editor takes for a name:
// what a list or a title must show whole.
inline constexpr std::string_view kWidestTableFileName = "ААББВВГГД.xml";
inline constexpr std::string_view kTransformerFileName = "tranform.xml";

// Current table fields read by name.
inline constexpr std::string_view kSectionField = "Сечение";
inline constexpr std::string_view kCurrentField = "Длительный ток";
// The parameter values the program compares with, byte for byte.
inline constexpr std::string_view kInGround = "В земле";
inline constexpr std::string_view kCable = "Кабель";
inline constexpr std::string_view kCopper = "Медь";

// Positions of the table parameters among a current table's fields.
enum CurrentTableParameter : std::size_t {
    kBrandPosition = 2,
    kLayingPosition = 3,
    kCoresPosition = 4,
    kWiringPosition = 5,
    kMaterialPosition = 6,
};

// Breaker database fields.
inline constexpr std::string_view kSeriesField = "Серии";
inline constexpr std::string_view kMinCurrentField = "Мин. ном. ток. А";
inline constexpr std::string_view kMaxCurrentField = "Мак. ном. ток А";
inline constexpr std::string_view kPolesField = "Число полюсов";
inline constexpr std::string_view kReleaseMultipleField = "Кратность тока при КЗ";

// Transformer database fields read by the calculation.
inline constexpr std::string_view kTransformerField = "Трансформатор";
inline constexpr std::string_view kPowerField = "Мощность кВА";
inline constexpr std::string_view kUkField = "Напряжение к.з. %";

// The fields of each kind of table whose values must be above zero.
inline constexpr std::array<std::string_view, 2> kCurrentTablePositiveFields{kSectionField,
                                                                             kCurrentField};
inline constexpr std::array<std::string_view, 3> kBreakerPositiveFields{
    kMinCurrentField, kMaxCurrentField, kReleaseMultipleField};
inline constexpr std::array<std::string_view, 2> kTransformerPositiveFields{kPowerField, kUkField};

std::vector<FieldDef> BreakerFieldDefs();
std::vector<FieldDef> TransformerFieldDefs();
std::vector<IndexDef> TransformerIndexDefs();
// Whether five parameters make a current table: no name empty, and no two
// of the seven field names the same.
bool CurrentTableParametersFit(const std::string& brand, const std::string& laying,
                               const std::string& cores, const std::string& wiring,
                               const std::string& material);
// The seven fields of a current table whose parameters are the names of
// fields 2 to 6. Parameters that do not fit are a fault of the caller
// (std::logic_error): the user's are checked before.
std::vector<FieldDef> CurrentTableFieldDefs(const std::string& brand, const std::string& laying,
                                            const std::string& cores, const std::string& wiring,
                                            const std::string& material);
std::vector<IndexDef> CurrentTableIndexDefs();

// Every "*.xml" of the directory except the two databases, as a person sorts
// their names (NaturalNameLess). A name that is not UTF-8 can be neither
// shown nor chosen: it is passed over, and given in `passedOver` when asked.
std::vector<std::string> ListCurrentTableFiles(const std::filesystem::path& directory,
                                               std::vector<std::string>* passedOver = nullptr);
// Puts names that end in ".xml" in that order, by the names without it.
void SortTableFileNames(std::vector<std::string>& names);

// Names as a person sorts them: letter case ignored (Latin and Cyrillic),
// Cyrillic in alphabetical order (Ё right after Е), runs of digits by their
// value ("T2" before "T10"). Names equal that way are ordered by their bytes,
// so no two different names are ever equivalent.
bool NaturalNameLess(std::string_view a, std::string_view b);
// A text whose byte order is that order, made once per name for a sort.
std::string NaturalSortKey(std::string_view name);

// Why a typed table name cannot become a file of the application directory
// (a path separator, "..", a control character, a character that a file
// system refuses), or nothing when it can. The empty name is left to the
// caller, which has its own message for it.
std::optional<std::string> TableNameProblem(std::string_view name);

}  // namespace kalvenor
