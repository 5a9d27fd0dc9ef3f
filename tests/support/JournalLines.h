#pragma once

#include "journal/Journal.h"

namespace kalvenor::testing {

// What a calculation gives the example journal's compressor line (15 kW,
// 40 m of ВВГ in air at 30 °C, ВА47-63 D, ТМ-400/10), with the short circuit
// named as the criterion: the figures of a sized line, for tests and
// benchmarks that need one.
inline LineResults CompressorResults() {
    return {.nominalCurrent = 26.532,
            .section = 6,
            .continuousCurrent = 35.72,
            .breakerCurrent = 32,
            .voltageDrop = 1.21,
            .shortCircuitCurrent = 931,
            .transformer = "ТМ-400/10",
            .criterion = Criterion::ShortCircuit};
}

}  // namespace kalvenor::testing
