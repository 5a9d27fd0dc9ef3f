#include "tables/Unit1.h"

#include "app/Application.h"
#include "tables/Databases.h"
#include "tables/TableFiles.h"

using namespace kalvenor;

TBazaAvt* BazaAvt = nullptr;

TBazaAvt::TBazaAvt()
    : DatabaseWindow({"Автоматы", "DBGrid3", "OK", 477, 245, 10, false, PostRules{true, true}}) {
    setObjectName("BazaAvt");
}

void TBazaAvt::FormCreate() {
    if (const auto warning = OpenDatabase(AVT1, app::Directory() / kBreakerFileName,
                                          BreakerFieldDefs(), {}, std::string(kMaxCurrentField))) {
        app::MessageBox(*warning, "Kalvenor", kMbOkWarning);
    }
}
