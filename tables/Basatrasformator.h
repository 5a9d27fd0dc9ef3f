#pragma once

#include "tables/DatabaseWindow.h"

// The transformer database window, over the transformer dataset.
class TBazaTran : public kalvenor::DatabaseWindow {
    Q_OBJECT
public:
    TBazaTran(const kalvenor::Context& context, kalvenor::Dataset& transformers);

    // Creates "tranform.xml" when it is missing and opens it bound for
    // write-back, ascending by "Мощность кВА". Start-up then fills the main
    // window's transformer list from it.
    void FormCreate();

    kalvenor::Dataset& ClientDataSet2 = Data;
    kalvenor::DatasetGrid* DBGrid1 = Grid;
};

extern TBazaTran* BazaTran;
