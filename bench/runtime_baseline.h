#pragma once
// The C++ baseline for the send benchmarks. Made in another translation unit
// so that the compiler cannot see the dynamic type and devirtualise the call.

#include <memory>

struct Shape {
    virtual ~Shape() = default;
    virtual int area(int scale) = 0;
};

std::unique_ptr<Shape> makeSquare();
