#pragma once

#include "tables/DatabaseWindow.h"

// The transformer database window; it owns the transformer dataset.
class TBazaTran : public kalvenor::DatabaseWindow {
    Q_OBJECT
public:
    TBazaTran();

    // Creates "tranform.xml" when it is missing, opens it bound for
    // write-back, ascending by "Мощность кВА", and fills the main window's
    // transformer list from it.
    void FormCreate();

    kalvenor::Dataset& ClientDataSet2 = Data;
    kalvenor::DatasetGrid* DBGrid1 = Grid;
};

extern TBazaTran* BazaTran;
