// The model's searches on the jobs' thread: the notable points, the slope
// and tangent at a point, and the integral or area "Área" asks for.
#include "plot/PlotModel.h"

#include "analysis/Samplers.h"
#include "engine/Expression.h"
#include "plot/PlotJobs.h"

using namespace plot;

namespace {

struct TKept {
    analysis::TSamplerBundle Bundle;
    std::shared_ptr<TSlopeEngine> Slopes;
};

} // namespace

void TPlotModel::FindNotablePoints(int range, bool showList)
{
    if (FFunctions.empty()) return;
    auto kept = std::make_shared<TKept>();
    kept->Bundle = analysis::TSamplerBundle(FFunctions, AngleUnitIsDegrees());
    kept->Slopes = FSlopes;
    FJobs->Run(
        kJobPoints,
        [this, kept, range, showList](const std::atomic<bool>& stop, const std::function<void(int)>& progress) {
            analysis::TAnalysisControl control;
            if (kept->Slopes != nullptr) {
                kept->Slopes->Build();
                analysis::SlopeSamplers(kept->Slopes->Slopes, kept->Slopes->Degrees, control);
            }
            control.Stop = &stop;
            control.Progress = progress;
            analysis::TNotablePoints points = analysis::FindNotablePoints(kept->Bundle.Compiled(), range, control);
            return std::function<void()>([this, points = std::move(points), showList, range] {
                FNotable = points;
                FAnalysed = true;
                emit NotablePointsFound(showList, range);
            });
        },
        kept);
}

void TPlotModel::StopSearch()
{
    FJobs->Stop(kJobPoints);
}

bool TPlotModel::Searching() const
{
    return FJobs->Busy(kJobPoints);
}

void TPlotModel::ForgetAnalysis()
{
    StopSearch();
    FNotable = {};
    FAnalysed = false;
    if (FShade) SetShade(std::nullopt);
}

void TPlotModel::RequestTangent(int function, long double x0)
{
    if (function < 0 || function >= static_cast<int>(FFunctions.size()) || FSlopes == nullptr) return;
    auto kept = std::make_shared<TKept>();
    kept->Bundle.Functions = FFunctions;
    kept->Slopes = FSlopes;
    FJobs->Run(
        kJobTangent,
        [this, kept, function, x0](const std::atomic<bool>&, const std::function<void(int)>&) {
            TSlopeEngine& e = *kept->Slopes;
            e.Build();
            TTangentResult result;
            result.Function = function;
            result.X = x0;
            const analysis::TFunction& f = e.Functions[static_cast<std::size_t>(function)];
            if (f != nullptr) {
                const analysis::TSlopes& s = e.Slopes[static_cast<std::size_t>(function)];
                result.At = analysis::SlopeAt(*f, s.First.get(), x0, e.Degrees);
                if (!s.First) result.At.WhyNot = s.WhyNot;
            }
            return std::function<void()>([this, result] {
                FTangent = result;
                emit TangentFound();
            });
        },
        kept);
}

void TPlotModel::ClearTangent()
{
    FJobs->Stop(kJobTangent);
    FTangent.reset();
}

void TPlotModel::Integrate(int f, int g, long double a, long double b)
{
    if (f < 0 || f >= static_cast<int>(FFunctions.size()) || g >= static_cast<int>(FFunctions.size())) return;
    auto kept = std::make_shared<TKept>();
    kept->Bundle = analysis::TSamplerBundle(FFunctions, AngleUnitIsDegrees());
    FJobs->Run(
        kJobArea,
        [this, kept, f, g, a, b](const std::atomic<bool>& stop, const std::function<void(int)>& progress) {
            std::vector<TSampler> own = kept->Bundle.Compiled();
            TSampler& first = own[static_cast<std::size_t>(f)];
            TSampler& second = own[static_cast<std::size_t>(g < 0 ? f : g)];
            const analysis::TIntegrand fx = [&first](long double x, long double& y) { return first.Evaluate(x, y); };
            const analysis::TIntegrand gx = [&second](long double x, long double& y) { return second.Evaluate(x, y); };
            const analysis::TIntegral r = g < 0 ? analysis::Integrate(fx, a, b, &stop, progress)
                                                : analysis::AreaBetween(fx, gx, a, b, &stop, progress);
            return std::function<void()>([this, r, f, g, a, b] { emit IntegralFound(r, f, g, a, b); });
        },
        kept);
}

void TPlotModel::StopIntegral()
{
    if (FJobs != nullptr) FJobs->Stop(kJobArea);
}

bool TPlotModel::Integrating() const
{
    return FJobs->Busy(kJobArea);
}

void TPlotModel::ComputeTableBlock(const std::vector<TTableColumn>& columns, std::vector<long double> xs, TTableDone done)
{
    if (FFunctions.empty()) return;
    auto kept = std::make_shared<TKept>();
    kept->Bundle = analysis::TSamplerBundle(FFunctions, AngleUnitIsDegrees());
    kept->Slopes = FSlopes;
    FJobs->Run(
        kJobTable,
        [kept, columns, xs = std::move(xs), done = std::move(done)](const std::atomic<bool>&,
                                                                    const std::function<void(int)>&) {
            std::vector<std::optional<TSampler>> samplers;
            std::vector<std::string> whyNot(columns.size());
            for (std::size_t c = 0; c < columns.size(); ++c) {
                const std::size_t f = static_cast<std::size_t>(columns[c].Function);
                if (!columns[c].Derivative) {
                    samplers.emplace_back(kept->Bundle.Compiled()[f]);
                    continue;
                }
                kept->Slopes->Build();
                const analysis::TSlopes& s = kept->Slopes->Slopes[f];
                if (s.First) samplers.emplace_back(s.First->Sampler("x", kept->Slopes->Degrees));
                else samplers.emplace_back(std::nullopt), whyNot[c] = s.WhyNot;
            }
            analysis::TValueTable::TBlockValues values = analysis::TValueTable::Evaluate(samplers, xs);
            return std::function<void()>(
                [done, values = std::move(values), whyNot = std::move(whyNot)]() mutable { done(std::move(values), whyNot); });
        },
        kept, false);
}

void TPlotModel::StopTable()
{
    if (FJobs != nullptr) FJobs->Stop(kJobTable);
}
