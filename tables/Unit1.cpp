#include "tables/Unit1.h"

#include "tables/Databases.h"
#include "tables/TableFiles.h"

using namespace kalvenor;

TBazaAvt* BazaAvt = nullptr;

TBazaAvt::TBazaAvt(const Context& context)
    : DatabaseWindow(
          context, {"Автоматы", "DBGrid3", "OK", 477, 245, 10, false, PostRules{true, true}, 40}) {
    setObjectName("BazaAvt");
}

void TBazaAvt::FormCreate() {
    if (const auto warning =
            OpenDatabase(AVT1, context_.directory / kBreakerFileName, BreakerFieldDefs(), {},
                         std::string(kMaxCurrentField), context_.tablesWritable)) {
        context_.messages.MessageBox(*warning, "Kalvenor", kMbOkWarning);
    }
    RefuseUnkeptEdits();
}
