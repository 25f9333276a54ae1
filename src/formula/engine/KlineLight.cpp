#include "formula/engine/KlineLight.h"

#include <tinyxml2.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <unordered_map>

#include "formula/engine/CoreFunctions.h"
#include "formula/engine/Element.h"
#include "formula/engine/EngineStatus.h"
#include "formula/engine/EngineTables.h"
#include "formula/engine/FormulaCompiler.h"
#include "formula/engine/FormulaProgram.h"
#include "formula/engine/SouceEditor.h"

CKlineLight::GetParValueFn CKlineLight::m_pfGetParValue = nullptr;

CKlineLight::CKlineLight() = default;

CKlineLight::CKlineLight(const CKlineLight& other) {
    CopyFrom(other);
}

CKlineLight& CKlineLight::operator=(const CKlineLight& other) {
    if (this != &other) CopyFrom(other);
    return *this;
}

CKlineLight::~CKlineLight() = default;

void CKlineLight::CopyFrom(const CKlineLight& o) {
    m_strName = o.m_strName;
    m_strDesc = o.m_strDesc;
    m_strFormula = o.m_strFormula;
    m_strHelp = o.m_strHelp;
    m_nMainChart = o.m_nMainChart;
    m_aAxeValues = o.m_aAxeValues;
    m_aParams = o.m_aParams;
    m_aExps = o.m_aExps;
    m_aDrawExps = o.m_aDrawExps;
    m_aDrawFuncs = o.m_aDrawFuncs;
    m_SecuCode = o.m_SecuCode;
    m_nDataType = o.m_nDataType;
    m_nPeriod = o.m_nPeriod;
    m_pParamSet = o.m_pParamSet;
    m_pBars = o.m_pBars;
    m_nBarCount = o.m_nBarCount;
    m_nCalcFirst = o.m_nCalcFirst;
    m_nCalcEnd = o.m_nCalcEnd;
    m_nShowFirst = o.m_nShowFirst;
    m_nShowEnd = o.m_nShowEnd;
    m_bShowDepend = o.m_bShowDepend;
    m_aSubFormulas.clear();
    for (const auto& s : o.m_aSubFormulas)
        m_aSubFormulas.push_back(s ? std::make_unique<CKlineLight>(*s) : nullptr);
    m_nLastStatus = o.m_nLastStatus;
    m_strLastError = o.m_strLastError;
    m_pProgram = o.m_pProgram;
    m_pCtx.reset();
    m_aVars.clear();
    m_bLastRange = 0;
}

namespace {

std::string FormatNumber(double v) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.10g", v);
    return buf;
}

double AttrDouble(const tinyxml2::XMLElement* e, const char* name, double def) {
    double v = def;
    if (e->QueryDoubleAttribute(name, &v) != tinyxml2::XML_SUCCESS) return def;
    return std::isfinite(v) ? v : def;
}

int AttrInt(const tinyxml2::XMLElement* e, const char* name, int def) {
    int v = def;
    return e->QueryIntAttribute(name, &v) == tinyxml2::XML_SUCCESS ? v : def;
}

const char* AttrText(const tinyxml2::XMLElement* e, const char* name) {
    const char* s = e->Attribute(name);
    return s ? s : "";
}

std::string ChildText(const tinyxml2::XMLElement* e, const char* name) {
    const tinyxml2::XMLElement* c = e->FirstChildElement(name);
    const char* t = c ? c->GetText() : nullptr;
    return t ? t : "";
}

}  // namespace

int CKlineLight::Read(const tinyxml2::XMLElement* e) {
    if (!e) return 1;
    m_strName = AttrText(e, "Name");
    m_strDesc = AttrText(e, "Desc");
    m_nMainChart = AttrInt(e, "Main", 0);
    m_aAxeValues.clear();
    std::string axis = AttrText(e, "Axis");
    for (size_t pos = 0; pos < axis.size();) {
        size_t comma = axis.find(',', pos);
        std::string part =
            axis.substr(pos, comma == std::string::npos ? std::string::npos : comma - pos);
        char* end = nullptr;
        double v = std::strtod(part.c_str(), &end);
        if (end != part.c_str() && std::isfinite(v)) m_aAxeValues.push_back(v);
        if (comma == std::string::npos) break;
        pos = comma + 1;
    }
    std::sort(m_aAxeValues.begin(), m_aAxeValues.end());
    m_aParams.clear();
    for (const auto* p = e->FirstChildElement("Param"); p; p = p->NextSiblingElement("Param")) {
        CIndicatorParam row;
        row.m_strName = AttrText(p, "Name");
        row.m_dMin = AttrDouble(p, "Min", 0);
        row.m_dMax = AttrDouble(p, "Max", 100);
        row.m_dDefault = AttrDouble(p, "Def", 0);
        row.m_dStep = AttrDouble(p, "Step", 1);
        row.m_nStepCount = AttrInt(p, "StepCount", 0);
        row.m_bFixed = AttrInt(p, "Fixed", 0);
        row.m_dFixedValue = AttrDouble(p, "FixedValue", 0);
        m_aParams.push_back(row);
    }
    m_strFormula = ChildText(e, "Formula");
    m_strHelp = ChildText(e, "Help");
    m_pProgram.reset();
    m_aExps.clear();
    m_aDrawExps.clear();
    m_aDrawFuncs.clear();
    return m_strName.empty() ? 1 : 0;
}

void CKlineLight::Write(tinyxml2::XMLElement* e) const {
    if (!e) return;
    e->SetAttribute("Name", m_strName.c_str());
    e->SetAttribute("Desc", m_strDesc.c_str());
    e->SetAttribute("Main", m_nMainChart);
    if (!m_aAxeValues.empty()) {
        std::string axis;
        for (size_t i = 0; i < m_aAxeValues.size(); ++i)
            axis += (i ? "," : "") + FormatNumber(m_aAxeValues[i]);
        e->SetAttribute("Axis", axis.c_str());
    }
    tinyxml2::XMLDocument* doc = e->GetDocument();
    for (const auto& row : m_aParams) {
        auto* p = doc->NewElement("Param");
        p->SetAttribute("Name", row.m_strName.c_str());
        p->SetAttribute("Min", FormatNumber(row.m_dMin).c_str());
        p->SetAttribute("Max", FormatNumber(row.m_dMax).c_str());
        p->SetAttribute("Def", FormatNumber(row.m_dDefault).c_str());
        p->SetAttribute("Step", FormatNumber(row.m_dStep).c_str());
        p->SetAttribute("StepCount", row.m_nStepCount);
        p->SetAttribute("Fixed", row.m_bFixed);
        p->SetAttribute("FixedValue", FormatNumber(row.m_dFixedValue).c_str());
        e->InsertEndChild(p);
    }
    auto* f = doc->NewElement("Formula");
    f->SetText(m_strFormula.c_str());
    e->InsertEndChild(f);
    if (!m_strHelp.empty()) {
        auto* h = doc->NewElement("Help");
        h->SetText(m_strHelp.c_str());
        e->InsertEndChild(h);
    }
}

namespace {
std::vector<std::string> ParamNames(const std::vector<CIndicatorParam>& params) {
    std::vector<std::string> names;
    names.reserve(params.size());
    for (const auto& p : params) names.push_back(p.m_strName);
    return names;
}

// Compiles a formula text with these parameters; what went wrong, if anything, goes to the
// caller's message and character range as well.
std::shared_ptr<const FormulaProgram> CompileReporting(const std::string& text,
                                                       const std::vector<CIndicatorParam>& params,
                                                       CompileError& err, std::string& message,
                                                       int& first, int& last) {
    auto prog = CompileFormula(text, ParamNames(params), err);
    message = err.message;
    first = err.first;
    last = err.last;
    return prog;
}

void ApplyLineStyle(CIndicatorExp& e, const LineStyle& s) {
    e.m_strName = s.name;
    e.m_nStyle = s.style;
    e.m_nLayer = s.layer;
    e.m_nShift = s.shift;
    e.m_nHAlign = s.halign;
    e.m_nVAlign = s.valign;
    e.m_bMainChart = s.mainChart;
    e.m_bOwnColor = s.ownColor;
    e.m_crColor = s.color;
    e.m_nThick = s.thick;
    e.m_bNoTitle = s.noTitle;
    e.Clear();
}
}  // namespace

int CKlineLight::GetAxeInfo(const std::string& text, std::string& message, int& first, int& last) {
    CompileError err;
    auto prog = CompileReporting(text, m_aParams, err, message, first, last);
    return prog ? 0 : err.code;
}

int CKlineLight::GetRepInfo(const std::string& text, std::string& message, int& first, int& last) {
    CompileError err;
    auto prog = CompileReporting(text, m_aParams, err, message, first, last);
    if (!prog) return err.code;
    m_strFormula = text;
    m_pProgram = std::move(prog);
    LayOut();
    return 0;
}

int CKlineLight::EvalLight(std::string& message, int& first, int& last) {
    CompileError err;
    auto prog = CompileReporting(m_strFormula, m_aParams, err, message, first, last);
    if (!prog) {
        m_pProgram.reset();
        m_aExps.clear();
        m_aDrawExps.clear();
        m_aDrawFuncs.clear();
        return err.code;
    }
    m_pProgram = std::move(prog);
    LayOut();
    return 0;
}

void CKlineLight::LayOut() {
    const FormulaProgram& p = *m_pProgram;
    m_aExps.resize(p.lines.size());
    for (size_t i = 0; i < p.lines.size(); ++i) ApplyLineStyle(m_aExps[i], p.lines[i]);
    m_aDrawExps.resize(p.drawArgs.size());
    for (size_t i = 0; i < p.drawArgs.size(); ++i) {
        ApplyLineStyle(m_aDrawExps[i], p.drawArgs[i]);
        m_aDrawExps[i].m_nStyle = CIndicatorExp::kNoDraw;
    }
    m_aDrawFuncs = p.drawFuncs;
    m_bLastRange = 0;
}

int CKlineLight::InitialCalc(const CIndSecuCode& code, int16_t dataType, int16_t period) {
    m_SecuCode = code;
    m_nDataType = dataType;
    m_nPeriod = period;
    if (m_pProgram) return 0;
    std::string msg;
    int f, l;
    return EvalLight(msg, f, l);
}

void CKlineLight::MakeRoom(int count) {
    if (count < 0) count = 0;
    m_nBarCount = count;
    for (auto* list : {&m_aExps, &m_aDrawExps}) {
        for (auto& e : *list) {
            e.Clear();
            if (e.m_nKind == CValueRecord::kSeries ||
                e.m_aValues.size() != static_cast<size_t>(count))
                e.m_aValues.assign(static_cast<size_t>(count), 0.0);
        }
    }
    m_bLastRange = 0;
}

uint64_t CKlineLight::OwnSeriesSlots() const {
    uint64_t mask = 0;
    if (m_pProgram)
        for (const auto& e : m_pProgram->elements)
            if (e.secu.m_nMarket == 0 && e.dataType == 0 && e.slot < 64)
                mask |= uint64_t(1) << e.slot;
    return mask;
}

double CKlineLight::GetParamValue(int index) {
    if (index < 0 || index >= static_cast<int>(m_aParams.size())) return 0;
    const CIndicatorParam& row = m_aParams[static_cast<size_t>(index)];
    if (row.m_bSet) return row.m_dSetValue;
    if (m_pfGetParValue) return m_pfGetParValue(this, index, m_pParamSet);
    return row.m_bFixed ? row.m_dFixedValue : row.m_dDefault;
}

void CKlineLight::ClearResults() {
    for (auto& e : m_aExps) e.Clear();
    for (auto& e : m_aDrawExps) e.Clear();
    m_nLastStatus = 0;
    m_strLastError.clear();
}

void CKlineLight::Varialized() {
    ClearResults();
    m_bLastRange = 0;
}

void CKlineLight::GC() {
    for (auto& e : m_aExps) e.Release();
    for (auto& e : m_aDrawExps) e.Release();
    m_pCtx.reset();
    m_aVars.clear();
    m_aVars.shrink_to_fit();
    m_bLastRange = 0;
}

int CKlineLight::Calc(int first, int end) {
    if (!m_pProgram) {
        std::string msg;
        int f, l;
        if (EvalLight(msg, f, l) != 0) {
            m_nLastStatus = EngineStatus::kCalcFailed;
            m_strLastError = msg;
            return 0;
        }
    }
    int n = m_nBarCount;
    // The last value range stays: it tells whether this calculation changed it.
    ClearResults();
    int cf = m_nCalcFirst, ce = m_nCalcEnd;
    if (ce <= cf) {
        cf = first;
        ce = end;
    }
    cf = std::max(cf, 0);
    ce = std::min(ce, n);
    if (n <= 0 || ce <= cf) {
        m_nLastStatus = EngineStatus::kCalcFailed;
        m_strLastError = "没有数据";
    } else {
        // Long series times many intermediates can exhaust memory: the indicator then shows
        // nothing, and the chart that asked goes on.
        try {
            Run(cf, ce - 1);
        } catch (const std::bad_alloc&) {
            ClearResults();
            m_nLastStatus = EngineStatus::kNoMemory;
            m_strLastError = "内存不足";
            if (m_pCtx) m_pCtx->m_nTop = -1;
        }
    }

    // Value range over the asked bars, to tell the caller whether its axis must change.
    double mx = 0, mn = 0;
    int bFirst = 1;
    int a = std::max(first, 0), b = std::min(end, n);
    if (m_nShowEnd > m_nShowFirst) {  // the axis only follows the bars on screen
        a = std::max(a, m_nShowFirst);
        b = std::min(b, m_nShowEnd);
    }
    for (const auto& e : m_aExps)
        if (e.m_nStyle != CIndicatorExp::kNoDraw && e.IsValue())
            e.GetMaxMin(std::max(a, e.m_nFirst == CIndicatorExp::kNoValid ? b : e.m_nFirst),
                        std::min(b, e.m_nLast + 1), mx, mn, bFirst);
    int changed = !m_bLastRange || (bFirst ? 1 : (mx != m_dLastMax || mn != m_dLastMin));
    m_bLastRange = !bFirst;
    m_dLastMax = mx;
    m_dLastMin = mn;
    return changed;
}

namespace {

// Places a record's contents on the stack slot, copying only its valid bars.
void CopyRecord(CValueRecord& dst, const CValueRecord& src, int n) {
    dst.m_nKind = src.m_nKind;
    dst.m_nFirst = src.m_nFirst;
    dst.m_nLast = src.m_nLast;
    dst.m_dValue = src.m_dValue;
    switch (src.m_nKind) {
        case CValueRecord::kSeries:
            dst.Reserve(n);
            if (src.m_pData && src.m_nFirst <= src.m_nLast && src.m_nFirst >= 0 &&
                src.m_nLast < n && src.m_nLast < src.Capacity())
                std::memcpy(dst.m_pData + src.m_nFirst, src.m_pData + src.m_nFirst,
                            sizeof(double) * static_cast<size_t>(src.m_nLast - src.m_nFirst + 1));
            else
                dst.m_nLast = dst.m_nFirst - 1;
            break;
        case CValueRecord::kText:
            std::memcpy(dst.m_szText, src.m_szText, sizeof dst.m_szText);
            break;
        case CValueRecord::kTextSeries:
            if (src.m_pTexts && src.m_nFirst >= 0 && src.m_nFirst <= src.m_nLast &&
                src.m_nLast < n) {
                if (!dst.m_pTexts) dst.AllocTexts(n);
                for (int k = src.m_nFirst; k <= src.m_nLast; ++k)
                    std::memcpy(dst.m_pTexts[k], src.m_pTexts[k], CValueRecord::kTextSize);
            } else {
                dst.m_nLast = dst.m_nFirst - 1;
            }
            break;
        default:
            break;
    }
}

char HexDigit(int v) {
    return "0123456789ABCDEF"[v & 15];
}

}  // namespace

int CKlineLight::Run(int rf, int rl) {
    const FormulaProgram& p = *m_pProgram;
    const int n = m_nBarCount;
    if (!m_pCtx) m_pCtx = std::make_unique<CSouceEditor>();
    CSouceEditor& ctx = *m_pCtx;
    ctx.m_pFormula = this;
    ctx.m_bPartial = 0;
    static std::atomic<uint64_t> s_serial{0};
    ctx.m_nEvalSerial = ++s_serial;
    ctx.Prepare(p.maxDepth + 2, n);
    if (m_aVars.size() < p.varNames.size()) m_aVars.resize(p.varNames.size());

    // Each distinct series is fetched once per evaluation; its last use takes the record
    // itself instead of a copy.
    std::vector<std::unique_ptr<CValueRecord>> loaded(p.elements.size());
    // What the fetched series leave behind serves the next evaluation's fetches.
    struct ReturnSpares {
        CSouceEditor& ctx;
        std::vector<std::unique_ptr<CValueRecord>>& records;
        ~ReturnSpares() {
            for (auto& r : records)
                if (r) ctx.GiveSpare(r->ReleaseData());
        }
    } returnSpares{ctx, loaded};
    std::vector<int> alias(p.elements.size(), -1);
    std::vector<int> uses(p.elements.size(), 0);
    // Keyed by what an element fetches, so a formula of many series names stays linear.
    std::unordered_map<std::string, int> firstOf;
    firstOf.reserve(p.elements.size());
    for (size_t i = 0; i < p.elements.size(); ++i) {
        const ElementSpec& e = p.elements[i];
        std::string key = std::to_string(e.slot) + '|' + std::to_string(e.dataType) + '|' +
                          std::to_string(e.period) + '|' + std::to_string(e.secu.m_nMarket) + '|' +
                          e.secu.m_strCode;
        auto [it, fresh] = firstOf.emplace(std::move(key), static_cast<int>(i));
        if (!fresh) alias[i] = it->second;
    }
    for (const Instr& in : p.code)
        if (in.op == Op::Load) ++uses[static_cast<size_t>(alias[in.a] >= 0 ? alias[in.a] : in.a)];

    auto fail = [&](uint8_t status, const Instr& in, const std::string& what) {
        m_nLastStatus = status;
        char code[8] = {'0', 'x', HexDigit(status >> 4), HexDigit(status), 0};
        m_strLastError = what + " (错误 " + code + ")";
        ctx.m_nTop = -1;
        return static_cast<int>(status);
    };

    ctx.m_nTop = -1;
    for (const Instr& in : p.code) {
        switch (in.op) {
            case Op::PushNum:
            case Op::PushParam: {
                CValueRecord& r = ctx.m_aStack[static_cast<size_t>(++ctx.m_nTop)];
                r.m_nKind = CValueRecord::kNumber;
                r.m_dValue = in.op == Op::PushNum ? in.num : GetParamValue(in.a);
                r.m_nFirst = rf;
                r.m_nLast = rl;
                break;
            }
            case Op::PushText: {
                CValueRecord& r = ctx.m_aStack[static_cast<size_t>(++ctx.m_nTop)];
                r.SetText(p.texts[in.a].c_str());
                r.m_nFirst = rf;
                r.m_nLast = rl;
                break;
            }
            case Op::Load: {
                int src = alias[in.a] >= 0 ? alias[in.a] : in.a;
                if (!loaded[static_cast<size_t>(src)]) {
                    const ElementSpec& es = p.elements[static_cast<size_t>(src)];
                    LoadFunction fn =
                        es.slot < kLoadFunctionSlots ? aLoadFunctions[es.slot] : nullptr;
                    if (!fn)
                        return fail(EngineStatus::kCalcFailed, in,
                                    "没有可用的行情数据: " + p.texts[in.name]);
                    CElement el;
                    el.m_nFuncCode = es.slot;
                    el.m_nReqFirst = rf;
                    el.m_nReqLast = rl;
                    el.m_SecuCode = es.secu;
                    el.m_nDataType = es.dataType;
                    el.m_nPeriod = es.period;
                    ctx.m_pElement = &el;
                    int st;
                    try {
                        st = fn(&el, this, &ctx);
                    } catch (...) {
                        st = EngineStatus::kNoMemory;
                    }
                    ctx.m_pElement = nullptr;
                    if (st != 0)
                        return fail(static_cast<uint8_t>(st), in,
                                    "取数据失败: " + p.texts[in.name]);
                    auto rec = el.TakeResult();
                    if (!rec) rec = std::make_unique<CValueRecord>(0, 0.0);
                    loaded[static_cast<size_t>(src)] = std::move(rec);
                }
                CValueRecord& slot = ctx.m_aStack[static_cast<size_t>(++ctx.m_nTop)];
                CValueRecord& rec = *loaded[static_cast<size_t>(src)];
                // A series read once is taken; one read more often is seen through views,
                // never taken while a view of it may still be on the stack.
                if (uses[static_cast<size_t>(src)] == 1 && !rec.IsView() &&
                    (rec.m_nKind != CValueRecord::kSeries || rec.Capacity() >= n)) {
                    std::swap(slot, rec);
                    slot.Reserve(n);
                } else if (rec.m_nKind == CValueRecord::kSeries && rec.Capacity() >= n) {
                    slot.View(rec);
                } else {
                    CopyRecord(slot, rec, n);
                }
                break;
            }
            case Op::CopyVar: {
                // The variable keeps the result's array; the stack goes on with a view of it.
                CValueRecord& top = ctx.m_aStack[static_cast<size_t>(ctx.m_nTop)];
                CValueRecord& var = m_aVars[in.a];
                if (top.m_nKind == CValueRecord::kSeries && top.Capacity() >= n) {
                    std::swap(var, top);
                    top.View(var);
                } else {
                    CopyRecord(var, top, n);
                }
                break;
            }
            case Op::LoadVar: {
                CValueRecord& slot = ctx.m_aStack[static_cast<size_t>(++ctx.m_nTop)];
                CValueRecord& var = m_aVars[in.a];
                if (var.m_nKind == CValueRecord::kSeries && var.Capacity() >= n)
                    slot.View(var);
                else
                    CopyRecord(slot, var, n);
                break;
            }
            case Op::StoreVar: {
                // The slot takes the variable's old storage; every stack slot keeps a full array.
                CValueRecord& top = ctx.m_aStack[static_cast<size_t>(ctx.m_nTop--)];
                std::swap(m_aVars[in.a], top);
                top.Reserve(n);
                break;
            }
            case Op::StoreLine: {
                CValueRecord& top = ctx.m_aStack[static_cast<size_t>(ctx.m_nTop)];
                if (in.b < 0 || in.sub == 1) {
                    if (in.a < m_aExps.size()) m_aExps[in.a].Take(top, n);
                } else if (in.a < m_aExps.size() && CIndicatorExp::CanTake(top, n)) {
                    // The line takes the array and the variable reads it there.
                    m_aVars[static_cast<size_t>(in.b)].View(top);
                    m_aExps[in.a].Take(top, n);
                } else if (top.IsView()) {
                    if (in.a < m_aExps.size()) m_aExps[in.a].Assign(top, n);
                    m_aVars[static_cast<size_t>(in.b)].View(top);
                } else {
                    if (in.a < m_aExps.size()) m_aExps[in.a].Assign(top, n);
                    std::swap(m_aVars[static_cast<size_t>(in.b)], top);
                    top.Reserve(n);
                }
                --ctx.m_nTop;
                break;
            }
            case Op::StoreDrawArg:
                if (in.a < m_aDrawExps.size())
                    m_aDrawExps[in.a].Assign(ctx.m_aStack[static_cast<size_t>(ctx.m_nTop)], n);
                --ctx.m_nTop;
                break;
            case Op::Unary:
                if (uint8_t st = ApplyUnary(in.sub, ctx, rf, rl, n))
                    return fail(st, in, "运算失败");
                break;
            case Op::Binary:
                if (uint8_t st = ApplyBinary(in.sub, ctx, rf, rl, n))
                    return fail(st, in, "运算失败");
                break;
            case Op::CallCore: {
                int base = ctx.m_nTop - in.b + 1;
                if (uint8_t st =
                        CallCoreFunction(static_cast<CoreFn>(in.a), ctx, base, in.b, rf, rl, n))
                    return fail(st, in, "函数计算失败: " + p.texts[in.name]);
                break;
            }
            case Op::Swap:
                std::swap(ctx.m_aStack[static_cast<size_t>(ctx.m_nTop)],
                          ctx.m_aStack[static_cast<size_t>(ctx.m_nTop - 1)]);
                break;
            case Op::CallBase: {
                const std::string& name = p.texts[in.name];
                BaseFunction fn = in.a < kBaseFunctionSlots ? BaseFunctions[in.a] : nullptr;
                if (!fn) return fail(EngineStatus::kCalcFailed, in, "函数不可用: " + name);
                int expectTop = ctx.m_nTop - in.b + 1;
                // Evaluators write into their argument records: none of them is a view.
                for (int i = std::max(expectTop, 0); i <= ctx.m_nTop; ++i)
                    ctx.m_aStack[static_cast<size_t>(i)].Settle(n);
                uint8_t st;
                try {
                    st = fn(name.c_str(), &ctx);
                } catch (...) {
                    st = EngineStatus::kCalcFailed;
                }
                if (st != 0) return fail(st, in, "函数计算失败: " + name);
                if (ctx.m_nTop != expectTop)
                    return fail(EngineStatus::kCalcFailed, in, "函数结果不正确: " + name);
                break;
            }
        }
    }
    return 0;
}
