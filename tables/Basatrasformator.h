#pragma once

#include "tables/DatabaseWindow.h"

// The transformer database window; it owns the transformer dataset.
class TBazaTran : public kalvenor::DatabaseWindow {
    Q_OBJECT
public:
    explicit TBazaTran(const kalvenor::Context& context);

    // Creates "tranform.xml" when it is missing and opens it bound for
    // write-back, ascending by "Мощность кВА". Start-up then fills the main
    // window's transformer list from it.
    void FormCreate();

    kalvenor::Dataset& ClientDataSet2 = Data;
    kalvenor::DatasetGrid* DBGrid1 = Grid;
};

extern TBazaTran* BazaTran;
