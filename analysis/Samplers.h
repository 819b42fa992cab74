// Functions handed to another thread: the expressions, made and kept on
// their parser's thread, and samplers of them, which that thread compiles,
// copies and evaluates.  The bundle keeps the expressions (and so their
// parser) alive for as long as the samplers are in use; it is released on
// the parser's thread.  Compiling only reads the parser, so it may run on
// the other thread while nothing changes the parser meanwhile; it takes
// long for a function of many nested calls, which is why it is left to
// that thread.
#pragma once

#include "analysis/Functions.h"

#include <vector>

namespace analysis {

struct TSamplerBundle {
    TFunctionList Functions;
    std::vector<TSampler> Samplers; // of Functions, over "x", in one angle unit, once compiled
    bool Degrees = false;
    TSamplerBundle() = default;
    // The samplers are compiled later, by Compile.
    TSamplerBundle(TFunctionList functions, bool degrees) : Functions(std::move(functions)), Degrees(degrees) {}
    // The samplers, compiled the first time.
    std::vector<TSampler>& Compiled()
    {
        if (Samplers.size() != Functions.size()) {
            Samplers.clear();
            for (const TFunction& f : Functions) Samplers.push_back(f->Sampler("x", Degrees));
        }
        return Samplers;
    }
};

} // namespace analysis
