#pragma once

#include "tables/DatabaseWindow.h"

// The breaker database window, over the breaker dataset.
class TBazaAvt : public kalvenor::DatabaseWindow {
    Q_OBJECT
public:
    TBazaAvt(const kalvenor::Context& context, kalvenor::Dataset& breakers);

    // Creates "Avtomat.xml" when it is missing, then opens it bound for
    // write-back, ascending by "Мак. ном. ток А".
    void FormCreate();

    kalvenor::Dataset& AVT1 = Data;
    kalvenor::DatasetGrid* DBGrid3 = Grid;
};

extern TBazaAvt* BazaAvt;
