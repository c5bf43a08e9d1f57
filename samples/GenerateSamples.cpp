#include "SampleFiles.h"

#include <iostream>

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::cerr << "usage: treewright-samples FOLDER\n";
        return 2;
    }
    std::string error;
    if (!WriteSampleFolder(argv[1], error))
    {
        std::cerr << error << '\n';
        return 1;
    }
    return 0;
}
