#include "tables/Basatrasformator.h"

#include "tables/Databases.h"
#include "tables/TableFiles.h"

using namespace kalvenor;

TBazaTran* BazaTran = nullptr;

// Two transformers of one power for different primary voltages are common in
// real catalogues, so the power is not enforced as a unique key.
TBazaTran::TBazaTran(const Context& context)
    : DatabaseWindow(context, {"Трансформаторы", "DBGrid1", "Ok", 507, 257, 20, true,
                               PostRules{true, false}, 50}) {
    setObjectName("BazaTran");
}

void TBazaTran::FormCreate() {
    if (const auto warning = OpenDatabase(ClientDataSet2, context_.directory / kTransformerFileName,
                                          TransformerFieldDefs(), TransformerIndexDefs(),
                                          std::string(kPowerField), context_.tablesWritable)) {
        context_.messages.MessageBox(*warning, "Kalvenor", kMbOkWarning);
    }
    RefuseUnkeptEdits();
}
