#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// A two-dimensional array stored row by row: element (i, j), column i of row j,
// lies at index i + j * width.
template <typename T>
struct Grid2D {
    int32_t width = 0;   // elements per row, also the row stride
    int32_t height = 0;  // number of rows
    std::vector<T> elements;

    void Resize(int32_t newWidth, int32_t newHeight, const T& fill)
    {
        width = newWidth;
        height = newHeight;
        elements.assign(static_cast<size_t>(newWidth) * static_cast<size_t>(newHeight), fill);
    }

    T& At(int32_t i, int32_t j) { return elements[static_cast<size_t>(i + j * width)]; }
    const T& At(int32_t i, int32_t j) const { return elements[static_cast<size_t>(i + j * width)]; }
};
