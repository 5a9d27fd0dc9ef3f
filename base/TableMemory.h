#pragma once

namespace kalvenor {

// Every calculation reloads its table. Left alone, the C library hands a
// large table's memory back to the system at each close and faults it in
// again at the next load; keeping it makes reloading a table of 100 000 rows
// about ten times faster. Called once, at the start of the process.
void KeepTableMemoryBetweenLoads();

}  // namespace kalvenor
