// Prints the installed library's version, after making a context of its own.
#include <cstdio>

#include "txappendix14.hpp"
#include "txappendix14_context.h"

int main()
{
    tx14::Context context;
    std::puts(tx14_version());
    return context.captured_lines();  // nothing run yet
}
