#include "workspace/Application.h"

int main(int argc, char** argv)
{
    return RunZentrova(argc, argv);
}
