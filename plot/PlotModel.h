// The plot's state in one place: the engine "Dibujar" makes from the
// notebook, the functions, their derivatives, the values the sliders move,
// the picture of the curves, the notable points, the tangent and the
// shaded area, and the one thread that does the work (TPlotJobs).  The view
// and the dialogs are given the model: they show what it holds and ask it
// for work, and are told when it is done.
//
// Who touches what: the drawing engine (the functions' parser) is used on
// the window's thread; the jobs read it only through samplers made there.
// The derivatives live in an engine of their own (TSlopeEngine), made and
// used on the jobs' thread only.  A value is changed in both engines only
// while no job runs: a slider's move stops the work, and once it has
// stopped the newest value is set and the work starts again.
#pragma once

#include "analysis/Derivative.h"
#include "analysis/Functions.h"
#include "analysis/Integral.h"
#include "analysis/NotablePoints.h"
#include "analysis/ValueTable.h"
#include "calc/CalcCore.h"
#include "plot/PlotGeometry.h"

#include <QObject>
#include <QString>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class TPlotJobs;
class TMathParser;
class TSampler;

namespace plot {

// The kinds of the plot's jobs.
enum TJobKind : int { kJobPicture, kJobPoints, kJobTangent, kJobArea, kJobTable, kJobSlopes };

// A picture of the curves, in the pixels of the frame it was made for.
struct TPicture {
    TFrame Frame;
    unsigned Version = 0;     // the model's state it shows
    bool Derivatives = false; // the dashed curves of f' are there
    std::vector<std::vector<TSegment>> Curves; // each function's
    std::vector<std::vector<TSegment>> Slopes; // each function's f', when asked
    // The shaded area: one span of pixels a column.
    struct TColumn {
        int X, Top, Bottom;
    };
    std::vector<TColumn> Shade;
    int ShadeFunction = -1;
};

// The region "Área" found: f and g (-1: the x axis) from A to B.
struct TShade {
    int F = 0, G = -1;
    long double A = 0, B = 0;
};

// A slope and tangent worked out at a point.
struct TTangentResult {
    int Function = -1;
    long double X = 0;
    analysis::TSlopeAt At;
};

// An engine for the derivatives: the notebook and the functions parsed
// again, on the jobs' thread, and differentiated there.
struct TSlopeEngine {
    calc::TNotebookDefinitions Definitions;
    std::vector<std::string> Texts;
    std::map<std::string, long double> Values; // moved by the sliders since
    bool Degrees = true;
    std::shared_ptr<TMathParser> Parser;
    analysis::TFunctionList Functions;
    std::vector<analysis::TSlopes> Slopes;
    bool Built = false;
    // Makes the engine and the derivatives (on the jobs' thread).
    void Build();
};

} // namespace plot

class TPlotModel : public QObject {
    Q_OBJECT
public:
    explicit TPlotModel(QObject* parent = nullptr);
    ~TPlotModel() override;

    // The plot's engine of the main window (x defined in it): its catalogue
    // is the one every drawing engine has.
    void AttachParser(std::shared_ptr<TMathParser> parser) { FBase = std::move(parser); }
    bool HasParser() const { return FBase != nullptr; }
    // The notebook as "Dibujar" reads it: its numeric values and functions
    // join the drawing engine (its own x first).
    std::function<calc::TNotebookDefinitions()> NotebookDefinitions;

    // "Dibujar": the functions of `text`, parsed in a new engine made from
    // the notebook.  On the first error the model holds no function and
    // says which function failed, where (code points in `text`) and why.
    struct TParseError {
        std::string Message;
        int Position = 0, Length = 0;
    };
    std::optional<TParseError> SetFunctions(const std::string& text);
    void Release();
    const analysis::TFunctionList& Functions() const { return FFunctions; }
    const std::vector<std::string>& Texts() const { return FTexts; }
    std::shared_ptr<TMathParser> Parser() const { return FParser; }
    const calc::TNotebookDefinitions& Definitions() const { return FDefinitions; }
    // Whether the functions are drawn by an engine with the notebook's values.
    bool UsesNotebook() const { return FParser != nullptr && FParser != FBase; }

    // A value of the notebook moved (a slider): the work stops, and once it
    // has, the value is set and the work starts again.
    void SetValue(const std::string& name, long double value);
    // The unit of sin, cos and tan changed: the derivatives are made again.
    void AngleUnitChanged();
    // Changes the pictures show: functions, values, unit, shade.
    unsigned Version() const { return FVersion; }

    // The picture of the curves for `frame`: the last one made (perhaps for
    // another frame or state), and whether it is the one asked for.
    std::shared_ptr<const plot::TPicture> Picture() const { return FPicture; }
    bool PictureIsCurrent(const plot::TFrame& frame, bool derivatives) const;
    // Makes it on the jobs' thread, unless it is made or being made.
    void RequestPicture(const plot::TFrame& frame, bool derivatives);
    // Makes it here and now (a copied or saved picture, a test).
    plot::TPicture PictureNow(const plot::TFrame& frame, bool derivatives);
    bool Drawing() const; // a picture is being made

    // The notable points for x in [-range, range], found on the jobs' thread.
    void FindNotablePoints(int range, bool showList);
    void StopSearch();
    bool Searching() const;
    bool Analysed() const { return FAnalysed; }
    const analysis::TNotablePoints& NotablePoints() const { return FNotable; }
    void ForgetAnalysis();

    // The slope and tangent of function `function` at x0.
    void RequestTangent(int function, long double x0);
    const std::optional<plot::TTangentResult>& Tangent() const { return FTangent; }
    void ClearTangent();

    // The region of the last area found, shaded in the picture.
    void SetShade(const std::optional<plot::TShade>& shade);
    const std::optional<plot::TShade>& Shade() const { return FShade; }

    // The integral of f, or the area between f and g (g >= 0), from a to b.
    void Integrate(int f, int g, long double a, long double b);
    void StopIntegral();
    bool Integrating() const;

    // Values of a table at `xs`, on the jobs' thread: each column is a
    // function (its index) or its derivative; `done` gets them on this
    // thread, with why each derivative column has none (empty when it has).
    struct TTableColumn {
        int Function = 0;
        bool Derivative = false;
    };
    using TTableDone = std::function<void(analysis::TValueTable::TBlockValues values, std::vector<std::string> whyNot)>;
    void ComputeTableBlock(const std::vector<TTableColumn>& columns, std::vector<long double> xs, TTableDone done);
    void StopTable();

    // A number typed for the tangent, an area's end or the table: the
    // expression evaluated in the drawing engine; it must not read x,
    // itself or through the notebook's functions.  False with the reason.
    bool EvaluateConstant(const std::string& text, long double& value, std::string& problem) const;

    TPlotJobs* Jobs() const { return FJobs; }

signals:
    void FunctionsChanged();
    void Changed(); // the picture is to be made again (a value, the unit, the shade)
    void PictureReady();
    void SearchProgress(int percent);
    void NotablePointsFound(bool showList, int range);
    void TangentFound();
    void IntegralFound(const analysis::TIntegral& result, int f, int g, long double a, long double b);
    void IntegralProgress(int percent);
    // The values moved by the sliders are set: tables and tangents anew.
    void ValuesApplied();

private:
    std::shared_ptr<TMathParser> DrawingParser(const calc::TNotebookDefinitions& defs) const;
    void ApplyValues();
    // On any thread: it reads nothing of the model but what it is given.
    static std::shared_ptr<plot::TPicture> MakePicture(const plot::TFrame& frame, bool derivatives,
                                                       const std::vector<TSampler>& samplers,
                                                       const std::shared_ptr<plot::TSlopeEngine>& slopes,
                                                       const std::optional<plot::TShade>& shade,
                                                       const std::atomic<bool>* stop);

    std::shared_ptr<TMathParser> FBase;
    std::shared_ptr<TMathParser> FParser;
    calc::TNotebookDefinitions FDefinitions;
    analysis::TFunctionList FFunctions;
    std::vector<std::string> FTexts;
    std::shared_ptr<plot::TSlopeEngine> FSlopes; // built on the jobs' thread
    std::map<std::string, long double> FPendingValues;
    unsigned FVersion = 1;

    std::shared_ptr<const plot::TPicture> FPicture;
    // The picture being made: for which frame, state and derivatives.
    struct TAsked {
        plot::TFrame Frame;
        unsigned Version = 0;
        bool Derivatives = false;
    };
    std::optional<TAsked> FAsked;

    analysis::TNotablePoints FNotable;
    bool FAnalysed = false;
    std::optional<plot::TTangentResult> FTangent;
    std::optional<plot::TShade> FShade;
    TPlotJobs* FJobs;
};
