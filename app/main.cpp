#include "app/SmokeRun.h"
#include "workspace/Application.h"

#include <string>

int main(int argc, char** argv)
{
    std::string expression;
    if (SmokeRunExpression(argc, argv, expression)) return RunZentrova(argc, argv, SmokeRun(expression));
    return RunZentrova(argc, argv);
}
