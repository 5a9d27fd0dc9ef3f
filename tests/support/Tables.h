#pragma once

#include "tables/Dataset.h"
#include "tables/TableFiles.h"

#include <filesystem>
#include <string>
#include <vector>

namespace kalvenor::testing {

struct BreakerRow {
    std::string series;
    double minimum;
    double maximum;
    int poles;
    double multiple;
};

struct TransformerRow {
    std::string name;
    double power;
    double uk;
};

inline void FillBreakers(Dataset& breakers, const std::vector<BreakerRow>& rows) {
    breakers.Close();
    breakers.Create(BreakerFieldDefs());
    for (const BreakerRow& row : rows) {
        breakers.InsertRow({row.series, row.minimum, row.maximum,
                            static_cast<std::int64_t>(row.poles), row.multiple});
    }
}

inline void WriteBreakers(const std::filesystem::path& directory,
                          const std::vector<BreakerRow>& rows) {
    Dataset breakers;
    FillBreakers(breakers, rows);
    breakers.Write(directory / kBreakerFileName);
}

inline void FillTransformers(Dataset& transformers, const std::vector<TransformerRow>& rows) {
    transformers.Close();
    transformers.Create(TransformerFieldDefs(), TransformerIndexDefs());
    for (const TransformerRow& row : rows) {
        transformers.InsertRow({row.name, row.power, 10.0, 0.4, 100.0, 600.0, row.uk, 2.8});
    }
    transformers.SetOrder(kPowerField);
}

// A current table in memory: (cross-section, continuous current) rows.
inline void FillCurrentTable(Dataset& table, const std::string& laying, const std::string& cores,
                             const std::vector<std::pair<double, double>>& rows,
                             const std::string& wiring = "Кабель",
                             const std::string& material = "Медь") {
    table.Close();
    table.Create(CurrentTableFieldDefs("ВВГ", laying, cores, wiring, material),
                 CurrentTableIndexDefs());
    for (const auto& [section, current] : rows) {
        table.InsertRow({section, current, std::monostate{}, std::monostate{}, std::monostate{},
                         std::monostate{}, std::monostate{}});
    }
}

// The same as a file.
inline void WriteCurrentTable(const std::filesystem::path& path, const std::string& laying,
                              const std::string& cores,
                              const std::vector<std::pair<double, double>>& rows,
                              const std::string& wiring = "Кабель",
                              const std::string& material = "Медь") {
    Dataset table;
    FillCurrentTable(table, laying, cores, rows, wiring, material);
    table.Write(path);
}

}  // namespace kalvenor::testing
