// The formula templates: fixed program data, three lists.
#pragma once

#include <span>
#include <string>
#include <vector>

struct TFormulaTemplate {
    const char* Caption;     // the item text in the chooser's list
    const char* Description; // the description line
    const char* Formula;     // the formula line: result name, "=", expression
    std::vector<const char*> Inputs; // input names; each becomes a line "name="
};

enum class TFormulaGroup { Areas, Volumes, Physics };

// The templates of one list, in list order.
std::span<const TFormulaTemplate> FormulaTemplates(TFormulaGroup group);
