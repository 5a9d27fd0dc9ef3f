#pragma once

#include "tables/Dataset.h"

namespace kalvenor {

// The three datasets of a run: the open current table, the breaker database
// and the transformer database. The table windows show and edit them, the
// main window's table view shows the current table and the calculation reads
// all three; their owner keeps them alive longer than any window watching
// them.
struct TableDatasets {
    Dataset currentTable;
    Dataset breakers;
    Dataset transformers;
};

}  // namespace kalvenor
