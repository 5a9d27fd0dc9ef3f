#pragma once

namespace kalvenor {

// What set a line's final cross-section: the last step that had to raise it.
enum class Criterion {
    Heating,        // the nominal current, by long-term heating
    BreakerRating,  // the breaker's rated current
    ShortCircuit,   // tripping the breaker at a single-phase short circuit
    VoltageDrop,    // the 20 % limit or the permitted drop
};

}  // namespace kalvenor
