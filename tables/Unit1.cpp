#include "tables/Unit1.h"

#include "tables/Databases.h"
#include "tables/TableFiles.h"

using namespace kalvenor;

TBazaAvt* BazaAvt = nullptr;

TBazaAvt::TBazaAvt(const Context& context, Dataset& breakers)
    : DatabaseWindow(context, breakers,
                     {.groupCaption = "Автоматы",
                      .gridName = "DBGrid3",
                      .buttonCaption = "OK",
                      .width = 477,
                      .height = 245,
                      .gridHeightMargin = 10,
                      .enterCloses = false,
                      .rules = {.everyFieldRequired = true,
                                .enforceUniqueIndexes = true,
                                .positiveFields = kBreakerPositiveFields},
                      .helpSection = HelpSection::BreakerDatabase}) {
    setObjectName("BazaAvt");
}

void TBazaAvt::FormCreate() {
    if (const auto warning =
            OpenDatabase(AVT1, context_.directory / kBreakerFileName, BreakerFieldDefs(), {},
                         std::string(kMaxCurrentField), context_.tablesWritable)) {
        context_.messages.MessageBox({*warning, "Kalvenor", Buttons::Ok, Icon::Warning});
    }
    RefuseUnkeptEdits();
}
