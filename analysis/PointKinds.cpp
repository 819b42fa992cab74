#include "analysis/PointKinds.h"

#include <iterator>

namespace analysis {

namespace {

const TPointKindInfo kKinds[] = {
    {TPointKind::Zero, "Cero", TMarkShape::Dot, true},
    {TPointKind::Maximum, "Máximo", TMarkShape::TriangleUp, true},
    {TPointKind::Minimum, "Mínimo", TMarkShape::TriangleDown, true},
    {TPointKind::Intersection, "Intersección", TMarkShape::Dot, true},
    {TPointKind::Inflection, "Inflexión", TMarkShape::Dot, true},
    {TPointKind::YIntercept, "Corte con el eje y", TMarkShape::Diamond, true},
    {TPointKind::Asymptote, "Asíntota vertical", TMarkShape::VerticalLine, false},
    {TPointKind::DomainEnd, "Extremo del dominio", TMarkShape::Square, true},
};

} // namespace

const TPointKindInfo& PointKindInfo(TPointKind kind)
{
    for (const TPointKindInfo& info : kKinds)
        if (info.Kind == kind) return info;
    return kKinds[0];
}

} // namespace analysis
