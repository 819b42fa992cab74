// The calls that bind a name in the expression they are given:
// deriv(expr; x; x0), integral(expr; x; a; b), suma(expr; k; a; b),
// producto(expr; k; a; b) and resolver(lado = lado; x[; a; b]).
//
// The engine computes deriv (its own derivative), suma and producto.  The
// integral and the solutions of an equation come from the calculus library
// above it, which installs them here (SetBoundCalculus); without them those
// calls fail with a reason.  What an evaluation learns beside its value (the
// digits an integral knows, every solution of an equation) is reported to a
// TBoundReportScope on the evaluating thread.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

// The most terms that suma and producto add or multiply.
constexpr long double kMaxBoundTerms = 10000000;
// Calls that bind a name may hold each other this deep.
constexpr int kMaxBoundNesting = 4;

// f(x): false where f has no value (or the evaluation was stopped).
using TBoundFunction = std::function<bool(long double x, long double& y)>;

// An equation f(x) = 0 given to the solver.
struct TEquation {
    TBoundFunction F;
    TBoundFunction Slope; // f', empty when the engine cannot build it
    int Degree = -1;      // f is a polynomial of this degree (0..4), else -1
    bool Bounded = false; // the search interval was written
    long double A = -1000, B = 1000;
};

// What the solver found.
struct TSolutions {
    std::vector<long double> Roots; // increasing
    int Digits = 18;                // significant digits known of every root
    std::string Warning;            // where solutions may have been missed
};

struct TBoundCalculus {
    // The integral of f from a to b: true with its value and the significant
    // digits known (1..18); false with the whole reason in Spanish.
    std::function<bool(const TBoundFunction& f, long double a, long double b, long double& value, int& digits,
                       std::string& why)>
        Integral;
    // The real solutions of e: true with at least one; false with the reason.
    std::function<bool(const TEquation& e, TSolutions& out, std::string& why)> Solve;
};

// Installs the integral and the solver (process-wide; before any use).
void SetBoundCalculus(TBoundCalculus calculus);
bool HasBoundCalculus();

// What the evaluations on this thread report while a scope lives.
struct TBoundReport {
    // The fewest significant digits known of an integral, a sum, a product
    // or a solution evaluated, when fewer than 18 are.
    int Digits = 18;
    bool Integrated = false;            // an integral was evaluated
    std::vector<long double> Solutions; // of the last equation solved
    std::string Warning;                // of the last equation solved
};

class TBoundReportScope {
public:
    TBoundReportScope();
    ~TBoundReportScope();
    TBoundReportScope(const TBoundReportScope&) = delete;
    TBoundReportScope& operator=(const TBoundReportScope&) = delete;
    const TBoundReport& Report() const { return FReport; }

private:
    TBoundReport FReport;
    TBoundReport* FOuter;
};

// The stop flag read by the bound calls evaluated on this thread while the
// scope lives: once raised they fail ("Cálculo detenido").
// The outermost call tells `progress` the percentage done (0..100), now
// and then.
class TBoundStopScope {
public:
    explicit TBoundStopScope(const std::atomic<bool>* stop, std::atomic<int>* progress = nullptr);
    // Stopped once `deadline` passes, as if the flag were raised.
    TBoundStopScope(const std::atomic<bool>* stop, std::chrono::steady_clock::time_point deadline);
    ~TBoundStopScope();
    TBoundStopScope(const TBoundStopScope&) = delete;
    TBoundStopScope& operator=(const TBoundStopScope&) = delete;

private:
    const std::atomic<bool>* FOuter;
    std::atomic<int>* FOuterProgress;
    std::chrono::steady_clock::time_point FOuterDeadline;
};
// Tells the scope's progress the percentage done, when the call reporting
// it is the outermost one being evaluated.
void ReportBoundProgress(int percent);
// True once the innermost scope on this thread is stopped.
bool BoundStopped();
// The flag of the innermost scope on this thread, null for none.
const std::atomic<bool>* BoundStopFlag();
