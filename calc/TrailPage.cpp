#include "calc/TrailPage.h"

#include <filesystem>

namespace kalvenor {

namespace {

// Figures are shown to the digits an engineer checks them with: enough that
// the next line of the page follows from them on a pocket calculator.
constexpr int kImpedanceDigits = 4;
constexpr int kCurrentDigits = 2;
constexpr int kSectionDigits = 2;

class Page {
public:
    explicit Page(NumberFormat format) : format_(format) {}

    std::string N(double value) const { return FloatToStr(value, format_); }
    std::string N(double value, int decimals) const {
        return FloatToStr(RoundTo(value, -decimals), format_);
    }
    std::string Mm2(double section) const { return N(section) + " мм²"; }

    // Steps are numbered as they appear: a step that did not run (the
    // transformer without transformer mode) leaves no gap.
    void Step(const std::string& title) { Paragraph(std::to_string(++steps_) + ". " + title); }
    void Paragraph(const std::string& text) {
        if (!lines_.empty()) {
            lines_.emplace_back();
        }
        lines_.push_back(text);
    }
    void Line(const std::string& text) { lines_.push_back(text); }

    std::vector<std::string> Take() { return std::move(lines_); }

private:
    NumberFormat format_;
    std::vector<std::string> lines_;
    int steps_ = 0;
};

std::string Quoted(const std::string& text) {
    return "«" + text + "»";
}

void Inputs(Page& page, const Trail::Inputs& in) {
    page.Step("Исходные данные");
    page.Line("Мощность нагрузки P = " + page.N(in.powerKw) + " кВт; cos φ = " + page.N(in.cosPhi) +
              "; напряжение сети " + Quoted(in.voltageOption) + ".");
    page.Line("Длина трассы L = " + page.N(in.length) +
              " м; температура среды t = " + page.N(in.temperature) +
              " °C; коэффициент на количество кабелей kг = " + page.N(in.grouping) + ".");
    std::string table = "Таблица допустимых длительных токов " + Quoted(in.tableFile);
    static constexpr const char* kNames[] = {"марка", "способ прокладки", "количество жил",
                                             "тип проводки", "материал жил"};
    for (std::size_t i = 0; i < in.tableParameters.size() && i < std::size(kNames); ++i) {
        table +=
            (i == 0 ? ": " : ", ") + std::string(kNames[i]) + " " + Quoted(in.tableParameters[i]);
    }
    page.Line(table + ".");
    page.Line(in.transformer ? "Питающий трансформатор " + Quoted(*in.transformer) + "."
                             : "Трансформатор не используется: ток КЗ по приближенной формуле.");
}

void Nominal(Page& page, const Trail& trail) {
    const Trail::NominalCurrent& nominal = *trail.nominal;
    page.Step("Номинальный ток");
    page.Line("Iном = P × 1000 / (cos φ × U) = " + page.N(trail.inputs->powerKw) + " × 1000 / (" +
              page.N(trail.inputs->cosPhi) + " × " + page.N(nominal.divisor) +
              ") = " + page.N(nominal.current) + " А (до трех знаков).");
}

void Transformer(Page& page, const Trail& trail) {
    const Trail::Transformer& t = *trail.transformer;
    page.Step("Трансформатор");
    const std::string asked = trail.inputs->transformer.value_or("");
    page.Line("Требуемая мощность Sтреб = k × P = " + page.N(t.factor) + " × " +
              page.N(trail.inputs->powerKw) + " = " + page.N(t.required) + " кВА.");
    if (t.used == asked && t.askedPower) {
        page.Line(Quoted(asked) + ": " + page.N(*t.askedPower) + " кВА ≥ " + page.N(t.required) +
                  " кВА — трансформатор остается.");
        return;
    }
    page.Line((t.askedPower ? Quoted(asked) + ": " + page.N(*t.askedPower) + " кВА < " +
                                  page.N(t.required) + " кВА"
                            : Quoted(asked) + " нет в базе трансформаторов") +
              " — взят первый трансформатор базы мощнее " + page.N(t.required) +
              " кВА: " + Quoted(t.used) + ", " + page.N(t.power) + " кВА.");
}

void Breaker(Page& page, const Trail& trail) {
    const Trail::Breaker& breaker = *trail.breaker;
    page.Step("Автомат");
    page.Line("Серия " + Quoted(breaker.series) +
              ". Номинальный ток автомата Iн.а = " + page.N(breaker.ratedCurrent) +
              " А — ближайший стандартный не меньше Iном = " + page.N(trail.nominal->current) +
              " А.");
}

void Selections(Page& page, const Trail& trail) {
    const Trail::Derating& d = *trail.derating;
    page.Step("Сечение по длительному току");
    page.Line("kt = √((" + page.N(d.conductorTemperature) + " − t) / (" +
              page.N(d.conductorTemperature) + " − t0)) = √((" + page.N(d.conductorTemperature) +
              " − " + page.N(d.temperature) + ") / (" + page.N(d.conductorTemperature) + " − " +
              page.N(d.referenceTemperature) + ")) = " + page.N(d.temperatureFactor) +
              (d.inGround ? " (кабель в земле, t0 = " : " (не в земле, t0 = ") +
              page.N(d.referenceTemperature) + " °C, целые градусы).");
    page.Line("Iдоп = Iтабл × kt × kг = Iтабл × " + page.N(d.temperatureFactor) + " × " +
              page.N(d.grouping) + ".");
    for (const Trail::Selection& s : trail.selections) {
        const std::string required = page.N(s.required) + " А";
        std::string line = s.byRating ? "Iн.а = " + required +
                                            " больше Iдоп выбранного сечения — "
                                            "выбор по току автомата: "
                                      : "По номинальному току " + required + ": ";
        if (s.section) {
            line += "первое сечение с Iдоп ≥ " + required + " — " + page.Mm2(*s.section) +
                    ", Iдоп = " + page.N(s.storedCurrent) + " × " + page.N(d.temperatureFactor) +
                    " × " + page.N(d.grouping) + " = " +
                    page.N(s.correctedCurrent, kCurrentDigits) + " А.";
        } else {
            line += "в таблице нет сечения с Iдоп ≥ " + required +
                    (s.byRating ? "; остается сечение по номинальному току." : ".");
        }
        page.Line(line);
    }
}

void Fault(Page& page, const Trail::ShortCircuit& sc, const Trail::FaultAtSection& f,
           double length) {
    const std::string resistance = "R = 2 × ρ × L / S = 2 × " + page.N(sc.resistivity) + " × " +
                                   page.N(length) + " / " + page.N(f.section) + " = " +
                                   page.N(f.resistance, kImpedanceDigits) + " Ом";
    const std::string verdict = (f.trips ? " ≥ " : " < ") + page.N(sc.tripCurrent, kCurrentDigits) +
                                " А — автомат " + (f.trips ? "срабатывает." : "не срабатывает.");
    const std::string current = page.N(f.current, kCurrentDigits) + " А";
    if (sc.throughTransformer) {
        page.Line(page.Mm2(f.section) + ": " + resistance +
                  "; X = 0,0006 × L = " + page.N(f.reactance, kImpedanceDigits) +
                  " Ом; Zп = √(R² + X²) = " + page.N(f.lineImpedance, kImpedanceDigits) + " Ом;");
        page.Line("Iкз = 230 / (Zп + Zт) = 230 / (" + page.N(f.lineImpedance, kImpedanceDigits) +
                  " + " + page.N(sc.transformerImpedance, kImpedanceDigits) + ") = " + current +
                  verdict);
    } else {
        page.Line(page.Mm2(f.section) + ": " + resistance + ";");
        page.Line("Iкз = 176 / (1,5 × R) = 176 / (1,5 × " + page.N(f.resistance, kImpedanceDigits) +
                  ") = " + current + verdict);
    }
}

void ShortCircuit(Page& page, const Trail& trail) {
    const Trail::ShortCircuit& sc = *trail.shortCircuit;
    page.Step("Проверка срабатывания автомата при однофазном КЗ в конце линии");
    page.Line("Ток срабатывания электромагнитного расцепителя Iср = кратность × Iн.а = " +
              page.N(sc.releaseMultiple) + " × " + page.N(trail.breaker->ratedCurrent) + " = " +
              page.N(sc.tripCurrent, kCurrentDigits) + " А.");
    if (sc.throughTransformer) {
        const Trail::Transformer& t = *trail.transformer;
        page.Line("Zт = uк × 400² / (100 × Sт × 1000) = " + page.N(t.uk) + " × 160000 / (100 × " +
                  page.N(t.power) +
                  " × 1000) = " + page.N(sc.transformerImpedance, kImpedanceDigits) +
                  " Ом (трансформатор Д/Ун; для У/Ун ток КЗ меньше, см. справку).");
    } else {
        page.Line("Без трансформатора, приближенно: Iкз = 176 / (1,5 × R).");
    }
    for (const Trail::FaultAtSection& f : sc.examined) {
        Fault(page, sc, f, trail.inputs->length);
    }
    if (sc.section) {
        page.Line("Сечение по условию КЗ — " + page.Mm2(*sc.section) + ".");
    }
}

void VoltageDrop(Page& page, const Trail& trail) {
    const Trail::VoltageDrop& v = *trail.voltageDrop;
    page.Step("Потеря напряжения");
    const std::string terms = page.N(v.factor) + " × " + page.N(trail.nominal->current) + " × " +
                              page.N(trail.inputs->length) + " × " + page.N(trail.inputs->cosPhi) +
                              " × 100 / (" + page.N(v.conductivity) + " × ";
    const auto drop = [&](const Trail::DropAtSection& at) {
        return "ΔU(" + page.Mm2(at.section) + ") = " + terms + page.N(at.section) + " × " +
               page.N(v.voltage) + ") = " + page.N(at.drop, 2) + " %";
    };
    page.Line("ΔU = K × Iном × L × cos φ × 100 / (γ × S × U), K = " + page.N(v.factor) +
              ", γ = " + page.N(v.conductivity) + ", U = " + page.N(v.voltage) + " В.");
    page.Line(drop(v.atSelected) + (v.atSelected.drop > 20 ? " > 20 %." : " ≤ 20 %."));
    for (const Trail::DropAtSection& at : v.hardLimitScan) {
        page.Line("Предел 20 %: " + drop(at) + (at.drop > 20 ? " > 20 %." : " ≤ 20 %."));
    }
    if (!v.hardLimitMet) {
        return;
    }
    page.Line(
        "Рабочее сечение — наибольшее из сечений по длительному току, по КЗ и по пределу "
        "20 %: " +
        page.Mm2(v.workingSection) + ", ΔU = " + page.N(v.workingDrop, 2) + " %.");
    if (!v.asked) {
        page.Line("ΔU ≤ 2,5 % — уменьшать падение не требуется.");
        return;
    }
    page.Line("ΔU > 2,5 % — на вопрос «Уменьшить падение напряжения?» ответ " +
              std::string(v.answeredYes ? "«Да»." : "«Нет»: сечение остается."));
    if (!v.answeredYes) {
        return;
    }
    if (!v.permittedDrop) {
        page.Line("Окно допустимого падения закрыто без ответа: сечение остается.");
        return;
    }
    std::string line = "ΔUдоп = " + page.N(*v.permittedDrop) +
                       " %: Sтреб = K × Iном × L × cos φ × 100 / (γ × ΔUдоп × U) = " + terms +
                       page.N(*v.permittedDrop) + " × " + page.N(v.voltage) +
                       ") = " + page.N(v.requiredSection, kSectionDigits) + " мм²";
    if (v.reducedSection) {
        line += v.noRowMeetsPermitted
                    ? "; такого сечения в таблице нет, берется наибольшее " +
                          page.Mm2(*v.reducedSection)
                    : " → " + page.Mm2(*v.reducedSection) + " (первое сечение таблицы не меньше)";
        line += ", ΔU = " + page.N(v.reducedDrop, 2) + " %.";
    }
    page.Line(line);
}

void Result(Page& page, const Trail& trail) {
    const Trail::Result& r = *trail.result;
    page.Step("Результат");
    page.Line("Сечение " + page.Mm2(r.section) + ", длительно допустимый ток с поправками " +
              page.N(r.permissibleCurrent, kCurrentDigits) + " А, потеря напряжения " +
              page.N(r.voltageDrop, 2) + " %, ток КЗ в конце линии " +
              page.N(r.shortCircuitCurrent, kCurrentDigits) + " А.");
    if (trail.breaker) {
        page.Line("Автомат " + Quoted(trail.breaker->series) + " " +
                  page.N(trail.breaker->ratedCurrent) + " А.");
    }
}

}  // namespace

std::string CriterionSentence(Criterion criterion, double section, NumberFormat format) {
    std::string head = "Сечение " + FloatToStr(section, format) + " мм² выбрано ";
    switch (criterion) {
        case Criterion::Heating:
            return head + "по длительно допустимому току нагрузки (нагреву)";
        case Criterion::BreakerRating:
            return head + "по номинальному току автомата";
        case Criterion::ShortCircuit:
            return head + "по условию срабатывания автомата при однофазном КЗ";
        case Criterion::VoltageDrop:
            return head + "по допустимой потере напряжения";
    }
    return head;
}

std::string TrailFileName(const Trail& trail, std::string_view date) {
    std::string name = "Обоснование ";
    if (trail.inputs && !trail.inputs->tableFile.empty()) {
        name += std::filesystem::path(trail.inputs->tableFile).stem().string() + " ";
    }
    return name + std::string(date) + ".rtf";
}

std::vector<std::string> TrailPage(const Trail& trail, NumberFormat format,
                                   std::string_view calculatedAt) {
    Page page(format);
    page.Line("Обоснование выбора сечения");
    page.Line("Расчет выполнен " + std::string(calculatedAt));
    if (trail.result) {
        page.Line(CriterionSentence(trail.result->criterion, trail.result->section, format) + ".");
    }
    if (trail.inputs) {
        Inputs(page, *trail.inputs);
    }
    if (trail.nominal) {
        Nominal(page, trail);
    }
    if (trail.transformer) {
        Transformer(page, trail);
    }
    if (trail.breaker) {
        Breaker(page, trail);
    }
    if (trail.derating) {
        Selections(page, trail);
    }
    if (trail.shortCircuit) {
        ShortCircuit(page, trail);
    }
    if (trail.voltageDrop) {
        VoltageDrop(page, trail);
    }
    if (trail.result) {
        Result(page, trail);
    }
    if (trail.stop) {
        page.Paragraph("Расчет остановлен: " + *trail.stop);
    }
    return page.Take();
}

}  // namespace kalvenor
