#include "tables/Basatrasformator.h"

#include "tables/Databases.h"
#include "tables/TableFiles.h"

using namespace kalvenor;

TBazaTran* BazaTran = nullptr;

// Two transformers of one power for different primary voltages are common in
// real catalogues, so the power is not enforced as a unique key. The name is:
// the calculation finds a transformer's power and short-circuit voltage by
// it, and two rows of one name would make both ambiguous. Files that already
// hold such rows still load.
TBazaTran::TBazaTran(const Context& context, Dataset& transformers)
    : DatabaseWindow(context, transformers,
                     {.groupCaption = "Трансформаторы",
                      .gridName = "DBGrid1",
                      .buttonCaption = "Ok",
                      .width = 507,
                      .height = 257,
                      .gridHeightMargin = 20,
                      .enterCloses = true,
                      .rules = {.everyFieldRequired = true,
                                .enforceUniqueIndexes = false,
                                .uniqueField = kTransformerField,
                                .positiveFields = kTransformerPositiveFields},
                      .helpSection = HelpSection::TransformerDatabase}) {
    setObjectName("BazaTran");
}

void TBazaTran::FormCreate() {
    if (const auto warning = OpenDatabase(ClientDataSet2, context_.directory / kTransformerFileName,
                                          TransformerFieldDefs(), TransformerIndexDefs(),
                                          std::string(kPowerField), context_.tablesWritable)) {
        context_.messages.MessageBox({*warning, "Kalvenor", Buttons::Ok, Icon::Warning});
    }
    RefuseUnkeptEdits();
}
