#pragma once

#include <cstdint>

// The address of a grid cell. Column 0 is the leftmost column and row 0 the bottom row: rows count
// upwards, as the grids' cells are laid out from the bottom. (-1, -1) names no cell.
struct ZRGridCoordinates {
    std::int64_t column = -1;
    std::int64_t row = -1;

    friend bool operator==(const ZRGridCoordinates&, const ZRGridCoordinates&) = default;
};

inline constexpr ZRGridCoordinates ZRGridCoordinatesNone{-1, -1};

constexpr ZRGridCoordinates ZRGridCoordinatesMake(std::int64_t column, std::int64_t row) {
    return {column, row};
}

constexpr bool ZRGridCoordinatesAreValid(ZRGridCoordinates coordinates) {
    return coordinates.column >= 0 && coordinates.row >= 0;
}
