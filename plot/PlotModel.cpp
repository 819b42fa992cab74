#include "plot/PlotModel.h"

#include "analysis/Constant.h"
#include "analysis/PlotFunctions.h"
#include "analysis/Samplers.h"
#include "engine/Expression.h"
#include "engine/Utf8.h"
#include "plot/PlotJobs.h"

#include <algorithm>
#include <cmath>

namespace plot {

void TSlopeEngine::Build()
{
    if (Built) return;
    Functions.clear(); // from a build that failed half way, if any
    Slopes.clear();
    Parser = std::make_shared<TMathParser>();
    Parser->RegisterFunctions();
    Parser->RegisterAngleConversions();
    Parser->DefineVariable("x", 0);
    calc::DefineValues(*Parser, Definitions);
    for (const auto& [name, value] : Values)
        if (Parser->FindVariable(name) >= 0) Parser->SetConstant(name, value);
    for (const std::string& text : Texts) {
        try {
            Functions.push_back(std::make_shared<const TExpression>(Parser, text));
        } catch (const EMathParserException&) {
            Functions.push_back(nullptr); // parsed once already; never here
        }
    }
    Slopes = analysis::Slopes(Functions, Degrees);
    Built = true;
}

} // namespace plot

using namespace plot;

TPlotModel::TPlotModel(QObject* parent) : QObject(parent), FJobs(new TPlotJobs(this))
{
    connect(FJobs, &TPlotJobs::Idle, this, [this] {
        if (!FPendingValues.empty()) ApplyValues();
    });
    connect(FJobs, &TPlotJobs::Progress, this, [this](int kind, int percent) {
        if (kind == kJobPoints) emit SearchProgress(percent);
        if (kind == kJobArea) emit IntegralProgress(percent);
    });
}

TPlotModel::~TPlotModel()
{
    delete FJobs; // stops the job running before what it reads goes
    FJobs = nullptr;
}

// A new engine for every drawing, with the notebook's values and
// functions, x first: the work still running on the old one keeps it.
std::shared_ptr<TMathParser> TPlotModel::DrawingParser(const calc::TNotebookDefinitions& defs) const
{
    auto parser = std::make_shared<TMathParser>();
    parser->RegisterFunctions();
    parser->RegisterAngleConversions();
    parser->DefineVariable("x", 0);
    calc::DefineValues(*parser, defs);
    return parser;
}

std::optional<TPlotModel::TParseError> TPlotModel::SetFunctions(const std::string& text)
{
    const std::vector<analysis::TFunctionText> pieces = analysis::SplitFunctions(text);
    const calc::TNotebookDefinitions defs = NotebookDefinitions ? NotebookDefinitions() : calc::TNotebookDefinitions();
    const std::shared_ptr<TMathParser> parser = DrawingParser(defs);
    analysis::TFunctionList parsed;
    std::optional<TParseError> error;
    for (std::size_t i = 0; i < pieces.size() && !error; ++i) {
        const analysis::TFunctionText& piece = pieces[i];
        if (i == analysis::kMaxFunctions) {
            error = TParseError{"(ERROR) Se pueden dibujar como máximo seis funciones a la vez", piece.Position,
                                static_cast<int>(utf8::Length(text)) - piece.Position};
            break;
        }
        const std::string which = pieces.size() > 1 ? "la función " + std::to_string(i + 1) + ", " : "";
        calc::TCalcOutcome rejected;
        if (calc::FindRejectedCall(defs, piece.Text, rejected)) {
            error = TParseError{"(ERROR) " + rejected.errorMessage + " en " + which + "«" + analysis::Trimmed(piece.Text) + "»",
                                piece.Position + rejected.errorPosition - 1, rejected.errorLength};
            break;
        }
        try {
            parsed.push_back(std::make_shared<const TExpression>(parser, piece.Text));
        } catch (const EMathParserException& e) {
            error = TParseError{"(ERROR) " + e.ErrorMessage + " en " + which + "«" + analysis::Trimmed(piece.Text) + "»",
                                piece.Position + e.ErrorPosition - 1, e.ErrorLength};
        }
    }
    Release();
    if (error) return error;
    FParser = parser;
    FDefinitions = defs;
    FFunctions = std::move(parsed);
    for (const analysis::TFunctionText& piece : pieces) FTexts.push_back(piece.Text);
    FSlopes = std::make_shared<TSlopeEngine>();
    FSlopes->Definitions = defs;
    FSlopes->Texts = FTexts;
    FSlopes->Degrees = AngleUnitIsDegrees();
    if (defs.Values.empty() && defs.Functions.empty()) FDefinitions = {};
    ++FVersion;
    emit FunctionsChanged();
    return std::nullopt;
}

void TPlotModel::Release()
{
    FJobs->StopAll();
    FPendingValues.clear();
    FFunctions.clear();
    FTexts.clear();
    FSlopes.reset();
    FTangent.reset();
    FShade.reset();
    FNotable = {};
    FAnalysed = false;
    FAsked.reset();
    FParser.reset();
    FDefinitions = {};
    ++FVersion;
}

void TPlotModel::SetValue(const std::string& name, long double value)
{
    FPendingValues[name] = value;
    ForgetAnalysis(); // found with the old value
    FJobs->StopAll();
    if (!FJobs->Busy()) ApplyValues();
}

// On the window's thread with no job running: both engines take the values.
void TPlotModel::ApplyValues()
{
    if (FPendingValues.empty()) return;
    for (const auto& [name, value] : FPendingValues) {
        if (FParser != nullptr && FParser->FindVariable(name) >= 0) FParser->SetConstant(name, value);
        if (FSlopes == nullptr) continue;
        FSlopes->Values[name] = value;
        if (FSlopes->Built && FSlopes->Parser->FindVariable(name) >= 0) FSlopes->Parser->SetConstant(name, value);
    }
    FPendingValues.clear();
    ++FVersion;
    FAsked.reset();
    emit ValuesApplied();
    emit Changed();
}

void TPlotModel::AngleUnitChanged()
{
    if (FFunctions.empty()) return;
    FJobs->StopAll();
    ForgetAnalysis();
    if (FSlopes != nullptr) {
        // Another engine for the derivatives in the new unit; a job may
        // still be reading the old one.
        auto slopes = std::make_shared<TSlopeEngine>();
        slopes->Definitions = FSlopes->Definitions;
        slopes->Texts = FSlopes->Texts;
        slopes->Values = FSlopes->Values;
        slopes->Degrees = AngleUnitIsDegrees();
        FSlopes = slopes;
    }
    ++FVersion;
    FAsked.reset();
    emit Changed();
}

// ---------------------------------------------------------------------------
// The picture

namespace {

// What a job reads of the model, kept alive until it is over.
struct TKept {
    analysis::TSamplerBundle Bundle;
    std::shared_ptr<TSlopeEngine> Slopes;
};

std::vector<TSegment> Trace(const TSampler& sampler, const TFrame& frame, const std::atomic<bool>* stop)
{
    std::vector<TSegment> segments;
    TCurveTracer tracer(frame.W, frame.H, [&segments](const TSegment& s) { segments.push_back(s); });
    TraceCurve(sampler, frame, tracer, stop);
    return segments;
}

// A pixel column at a time between the curve of f and that of g (the x
// axis when there is none) from a to b.
std::vector<TPicture::TColumn> ShadeColumns(const TFrame& f, const TShade& shade, std::vector<TSampler>& samplers)
{
    std::vector<TPicture::TColumn> columns;
    if (!(f.Ux > 0) || shade.F >= static_cast<int>(samplers.size()) || shade.G >= static_cast<int>(samplers.size()))
        return columns;
    const long double left = std::ceil(f.PixelX(shade.A)), right = std::floor(f.PixelX(shade.B));
    const int from = static_cast<int>(std::max<long double>(0, left));
    const int to = static_cast<int>(std::min<long double>(f.W - 1, right));
    const auto pixelY = [&](long double y) { return static_cast<int>(std::clamp<long double>(f.PixelY(y), -1, f.H)); };
    for (int px = from; px <= to; ++px) {
        const long double x = f.PlaneX(px);
        long double y1, y2 = 0;
        if (!samplers[static_cast<std::size_t>(shade.F)].Evaluate(x, y1)) continue;
        if (shade.G >= 0 && !samplers[static_cast<std::size_t>(shade.G)].Evaluate(x, y2)) continue;
        const int a = pixelY(y1), b = pixelY(y2);
        columns.push_back({px, std::min(a, b), std::max(a, b)});
    }
    return columns;
}

} // namespace

std::shared_ptr<TPicture> TPlotModel::MakePicture(const TFrame& frame, bool derivatives,
                                                  const std::vector<TSampler>& samplers,
                                                  const std::shared_ptr<TSlopeEngine>& slopes,
                                                  const std::optional<TShade>& shade, const std::atomic<bool>* stop)
{
    auto picture = std::make_shared<TPicture>();
    picture->Frame = frame;
    picture->Derivatives = derivatives;
    for (const TSampler& s : samplers) picture->Curves.push_back(Trace(s, frame, stop));
    if (derivatives && slopes != nullptr && !(stop != nullptr && *stop)) {
        slopes->Build();
        for (const analysis::TSlopes& s : slopes->Slopes) {
            picture->Slopes.emplace_back();
            if (s.First) picture->Slopes.back() = Trace(s.First->Sampler("x", slopes->Degrees), frame, stop);
        }
    }
    if (shade) {
        std::vector<TSampler> own = samplers;
        picture->Shade = ShadeColumns(frame, *shade, own);
        picture->ShadeFunction = shade->F;
    }
    return picture;
}

bool TPlotModel::PictureIsCurrent(const TFrame& frame, bool derivatives) const
{
    return FPicture != nullptr && FPicture->Frame == frame && FPicture->Version == FVersion &&
           FPicture->Derivatives == derivatives;
}

bool TPlotModel::Drawing() const
{
    return FJobs->Busy(kJobPicture);
}

void TPlotModel::RequestPicture(const TFrame& frame, bool derivatives)
{
    if (FFunctions.empty() || !FPendingValues.empty()) return;
    if (PictureIsCurrent(frame, derivatives)) return;
    if (FAsked && FAsked->Frame == frame && FAsked->Version == FVersion && FAsked->Derivatives == derivatives &&
        Drawing())
        return;
    FAsked = TAsked{frame, FVersion, derivatives};
    auto kept = std::make_shared<TKept>();
    kept->Bundle = analysis::TSamplerBundle(FFunctions, AngleUnitIsDegrees());
    kept->Slopes = FSlopes;
    const unsigned version = FVersion;
    const std::optional<TShade> shade = FShade;
    FJobs->Run(
        kJobPicture,
        [this, frame, derivatives, kept, version, shade](const std::atomic<bool>& stop, const std::function<void(int)>&) {
            std::shared_ptr<TPicture> picture =
                MakePicture(frame, derivatives, kept->Bundle.Compiled(), kept->Slopes, shade, &stop);
            picture->Version = version;
            return std::function<void()>([this, picture] {
                FPicture = picture;
                FAsked.reset();
                emit PictureReady();
            });
        },
        kept);
}

TPicture TPlotModel::PictureNow(const TFrame& frame, bool derivatives)
{
    // Derivatives in an engine of this call's own: the jobs' one may be busy.
    std::shared_ptr<TSlopeEngine> slopes;
    if (derivatives && FSlopes != nullptr) {
        slopes = std::make_shared<TSlopeEngine>();
        slopes->Definitions = FSlopes->Definitions;
        slopes->Texts = FSlopes->Texts;
        slopes->Values = FSlopes->Values;
        slopes->Degrees = AngleUnitIsDegrees();
    }
    analysis::TSamplerBundle bundle(FFunctions, AngleUnitIsDegrees());
    TPicture picture = *MakePicture(frame, derivatives, bundle.Compiled(), slopes, FShade, nullptr);
    picture.Version = FVersion;
    return picture;
}

void TPlotModel::SetShade(const std::optional<TShade>& shade)
{
    FShade = shade;
    ++FVersion;
    FAsked.reset();
    emit Changed();
}

bool TPlotModel::EvaluateConstant(const std::string& text, long double& value, std::string& problem) const
{
    const std::shared_ptr<TMathParser> parser = FParser != nullptr ? FParser : FBase;
    if (parser == nullptr) {
        problem = "no hay funciones dibujadas";
        return false;
    }
    return analysis::EvaluateConstant(*parser, text, value, problem);
}
