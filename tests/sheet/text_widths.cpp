// The figures' text widths as the sheet computes them, for the browser test
// that holds them against Chromium's: a line "SIZE<tab>TEXT" in, the width
// in user units out.
#include <iostream>
#include <string>

#include "layout.hpp"

int main()
{
    std::string line;
    while (std::getline(std::cin, line)) {
        const std::size_t tab = line.find('\t');
        if (tab == std::string::npos)
            return 2;
        std::cout << tx14::sheet::text_width(std::string_view(line).substr(tab + 1), std::stod(line.substr(0, tab)))
                  << '\n';
    }
    return 0;
}
