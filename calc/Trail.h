#pragma once

#include "calc/Criterion.h"

#include <optional>
#include <string>
#include <vector>

namespace kalvenor {

// The facts that decided one calculation, recorded by the steps that computed
// them, in the order they ran, so an engineer can follow and check every
// figure by hand. A step that did not run leaves its part empty; a stopped
// calculation keeps what ran before the stop and the stop's message.
struct Trail {
    struct Inputs {
        double powerKw = 0;
        double cosPhi = 0;
        std::string voltageOption;
        double length = 0;                         // m
        double temperature = 0;                    // °C as typed
        double grouping = 0;                       // the coefficient for cables laid together
        std::string tableFile;                     // the current table's file name
        std::vector<std::string> tableParameters;  // brand, laying, cores, wiring, material
        std::optional<std::string> transformer;    // asked for; none without transformer mode
    };

    struct NominalCurrent {
        double divisor = 0;  // V, of the voltage option
        double current = 0;  // A, rounded as shown
    };

    struct Transformer {
        double factor = 0;                 // kVA a kW of load asks for
        double required = 0;               // kVA
        std::optional<double> askedPower;  // kVA of the one asked for, if the database has it
        std::string used;
        double power = 0;  // kVA of the one used
        double uk = 0;     // %
    };

    struct Derating {
        int temperature = 0;    // °C, the whole degrees the factor is taken for
        bool inGround = false;  // the column of a cable laid in the ground
        double conductorTemperature = 0;
        double referenceTemperature = 0;
        double temperatureFactor = 0;
        double grouping = 0;
    };

    struct Selection {
        double required = 0;  // A
        bool byRating = false;
        std::optional<double> section;  // mm2; none when no row carries the current
        double storedCurrent = 0;       // A, as the table holds it
        double correctedCurrent = 0;    // A, after derating
    };

    struct Breaker {
        std::string series;
        double ratedCurrent = 0;  // A
    };

    struct FaultAtSection {
        double section = 0;     // mm2
        double resistance = 0;  // Ohm, of the loop
        double reactance = 0;   // Ohm; transformer mode only
        double lineImpedance = 0;
        double current = 0;  // A, as compared with the trip current
        bool trips = false;
    };

    struct ShortCircuit {
        bool throughTransformer = true;
        double resistivity = 0;  // Ohm*mm2/m
        double transformerImpedance = 0;
        double releaseMultiple = 0;
        double tripCurrent = 0;
        std::vector<FaultAtSection> examined;
        std::optional<double> section;  // the one that trips; none when none does
    };

    struct DropAtSection {
        double section = 0;
        double drop = 0;  // %, rounded as compared
    };

    struct VoltageDrop {
        double factor = 0;        // K
        double conductivity = 0;  // m/(Ohm*mm2)
        double voltage = 0;       // V
        DropAtSection atSelected;
        std::vector<DropAtSection> hardLimitScan;  // the rows tried above 20 %
        bool hardLimitMet = true;
        double workingSection = 0;  // the largest of the three candidates
        double workingDrop = 0;
        bool asked = false;
        bool answeredYes = false;
        std::optional<double> permittedDrop;   // %, none when the dialog was closed
        double requiredSection = 0;            // mm2 the permitted drop asks for
        std::optional<double> reducedSection;  // the table's section for it
        bool noRowMeetsPermitted = false;      // the largest row, short of it
        double reducedDrop = 0;
    };

    struct Result {
        double section = 0;
        double permissibleCurrent = 0;
        double shortCircuitCurrent = 0;
        double voltageDrop = 0;
        Criterion criterion = Criterion::Heating;
    };

    std::optional<Inputs> inputs;
    std::optional<NominalCurrent> nominal;
    std::optional<Transformer> transformer;
    std::optional<Breaker> breaker;
    std::optional<Derating> derating;
    std::vector<Selection> selections;
    std::optional<ShortCircuit> shortCircuit;
    std::optional<VoltageDrop> voltageDrop;
    std::optional<Result> result;
    std::optional<std::string> stop;
};

}  // namespace kalvenor
