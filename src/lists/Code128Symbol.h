#pragma once

#include <QString>
#include <vector>

namespace lists {

// A Code 128 symbol as bars on a grid of modules (the narrowest bar is one module),
// without quiet zones.
struct Code128Symbol
{
    struct Bar
    {
        int start = 0; // in modules from the left edge
        int width = 0; // in modules
    };
    int modules = 0; // width of the whole symbol
    std::vector<Bar> bars;
};

// Encodes a text of printable ASCII characters; raises std::runtime_error when the
// encoder refuses it.
Code128Symbol encodeCode128(const QString& value);

} // namespace lists
