#include "tables/Basatrasformator.h"

#include "app/Application.h"
#include "app/Elect.h"
#include "tables/Databases.h"
#include "tables/TableFiles.h"

using namespace kalvenor;

TBazaTran* BazaTran = nullptr;

// Two transformers of one power for different primary voltages are common in
// real catalogues, so the power is not enforced as a unique key.
TBazaTran::TBazaTran()
    : DatabaseWindow(
          {"Трансформаторы", "DBGrid1", "Ok", 507, 257, 20, true, PostRules{true, false}}) {
    setObjectName("BazaTran");
}

void TBazaTran::FormCreate() {
    const auto warning =
        OpenDatabase(ClientDataSet2, app::Directory() / kTransformerFileName,
                     TransformerFieldDefs(), TransformerIndexDefs(), std::string(kPowerField));
    Form1->FillTransformerList(ClientDataSet2);
    if (warning) {
        app::MessageBox(*warning, "Kalvenor", kMbOkWarning);
    }
}
