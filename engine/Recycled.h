// Memory that the engine keeps for the next parser: node slabs and the
// evaluator's program and buffers of parsers that are gone, so that a
// calculation (each has a fresh parser) touches memory already mapped.
// Internal to the engine.
#pragma once

#include "engine/MathParser.h"
#include "engine/PerThread.h"
#include "engine/Program.h"

#include <memory>
#include <vector>

namespace engine_detail {

struct Recycled {
    std::vector<TParseNode*> Slabs;
    std::unique_ptr<TProgram> Program;
    std::unique_ptr<TScratch> Scratch;
    ~Recycled()
    {
        for (TParseNode* slab : Slabs) ::operator delete[](slab);
    }
};
constexpr std::size_t kRecycledSlabsMax = 256; // about 20 MB

inline Recycled& RecycledStore()
{
    return PerThread<Recycled>();
}

} // namespace engine_detail
