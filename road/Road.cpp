#include "road/Road.h"

#include "core/PatternType.h"
#include "export/Dxf.h"
#include "export/TitleBlock.h"
#include "script/Script.h"

namespace kiv {

const char* InitialText(Input in) {
    switch (in) {
    case Input::S:
        return "0.5";
    case Input::L1:
        return "200";
    case Input::L2:
        return "400";
    case Input::H:
        return "100";
    case Input::FalthP1:
    case Input::AllP1:
        return "3";
    case Input::FalthP2:
    case Input::AllP2:
    case Input::AllD:
        return "2";
    }
    return "";
}

FieldTexts::FieldTexts() {
    for (Input in : kAllInputs) {
        (*this)[in] = InitialText(in);
    }
}

Confirmation Confirm(RaschetData& d, int type, const FieldTexts& texts) {
    Confirmation c;
    for (Input in : ValidatorsFor(type)) {
        Verdict verdict = Validate(in, texts[in], d);
        c.credit = c.credit || verdict.credit;
        if (verdict.kind != Verdict::Accepted) {
            c.refusal = {in, std::move(verdict)};
            return c;
        }
    }
    if (PatternTypeOf(type) == PatternType::SeamAndWire) {
        c.wireAllowance = WireAllowanceText(d.AllD);
    }
    c.report = RunPattern(d, type);
    switch (c.report.status) {
    case CalcStatus::AllowancesDoNotFit:
        c.outcome = Outcome::AllowancesDoNotFit;
        return c;
    case CalcStatus::NotFinite:
        c.outcome = Outcome::NotFinite;
        return c;
    case CalcStatus::Ok:
        break;
    }
    c.drawing = ShopDrawingOf(d, type);
    c.fault = CheckDrawing(c.drawing, c.report.blank);
    c.outcome = c.fault == DrawingFault::None ? Outcome::Confirmed : Outcome::DrawingFault;
    return c;
}

std::string ScriptNameOf(int type, const FieldTexts& texts) {
    std::vector<std::string> parts;
    for (Input in : NameInputsFor(type)) {
        parts.push_back(texts[in]);
    }
    return ScriptFileName(parts);
}

std::string OutputFileName(std::string_view scriptName, std::string_view extension) {
    constexpr std::string_view scr = ".scr";
    if (scriptName.size() >= scr.size() &&
        scriptName.substr(scriptName.size() - scr.size()) == scr) {
        scriptName.remove_suffix(scr.size());
    }
    std::string name(scriptName);
    name += '.';
    name += extension;
    return name;
}

HoodOutputs Produce(const RaschetData& confirmed, int type, const OutputRequest& request) {
    HoodOutputs out;
    RaschetData d = confirmed;
    const CalcResult calc = Calculate(d, type);
    out.status = calc.status;
    if (calc.status != CalcStatus::Ok) {
        out.fault = DrawingFault::Empty;
        return out;
    }
    if (request.script) {
        out.script = ScriptBytes(d, type);
    }
    if (request.dxf) {
        DxfOutput dxf = DxfBytes(d, type, calc.summary);
        out.fault = dxf.fault;
        out.dxf = std::move(dxf.bytes);
    }
    if (request.layout && out.fault == DrawingFault::None) {
        TemplateDocument& doc = out.document;
        doc.drawing = ShopDrawingOf(d, type);
        out.fault = CheckDrawing(doc.drawing, calc.summary);
        if (out.fault == DrawingFault::None) {
            doc.options = request.options;
            doc.layout = LayoutTemplate(doc.drawing, doc.options);
            out.fits = !doc.layout.pages.empty();
            doc.titleLines = TitleLines(d, type, calc.summary, doc.layout, request.date);
        }
    }
    return out;
}

RoadResult RunRoad(int type, const FieldTexts& texts, std::string_view osmode,
                   const OutputRequest& request) {
    RoadResult r;
    r.data.OsmodeValue = std::string(osmode);
    r.data.RazvType = type;
    r.confirmation = Confirm(r.data, type, texts);
    r.scriptName = ScriptNameOf(type, texts);
    if (r.confirmation.outcome == Outcome::Confirmed) {
        r.outputs = Produce(r.data, type, request);
    }
    return r;
}

std::string RefusalText(const Refusal& refusal) {
    if (refusal.verdict.kind == Verdict::NotANumber) {
        return refusal.verdict.message + ".";
    }
    return refusal.verdict.message;
}

const char* OutcomeText(Outcome outcome) {
    switch (outcome) {
    case Outcome::AllowancesDoNotFit:
        return "Введенные припуски на фальц выполнить невозможно,\rони слишком большие для "
               "введенных габаритов зонта.\rНеобходимо уменьшить припуски на фальц либо изме-\r"
               "нить габариты зонта!";
    case Outcome::NotFinite:
        return "Размеры зонта слишком велики для расчета.\rНеобходимо уменьшить габариты зонта!";
    case Outcome::DrawingFault:
        return "Ошибка программы: развертка не прошла проверку.";
    case Outcome::Confirmed:
    case Outcome::Refused:
        break;
    }
    return "";
}

double WireLength(const RaschetData& d) {
    return 2 * (d.L1 + d.L2);
}

} // namespace kiv
