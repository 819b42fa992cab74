// Functions handed to another thread: the expressions, made and kept on
// their parser's thread, and samplers of them, which that thread copies and
// evaluates.  The bundle keeps the expressions (and so their parser) alive
// for as long as the samplers are in use; it is released on the parser's
// thread.
#pragma once

#include "analysis/Functions.h"

#include <vector>

namespace analysis {

struct TSamplerBundle {
    TFunctionList Functions;
    std::vector<TSampler> Samplers; // of Functions, over "x", in one angle unit
    TSamplerBundle() = default;
    // On the parser's thread.
    TSamplerBundle(TFunctionList functions, bool degrees) : Functions(std::move(functions))
    {
        for (const TFunction& f : Functions) Samplers.push_back(f->Sampler("x", degrees));
    }
};

} // namespace analysis
