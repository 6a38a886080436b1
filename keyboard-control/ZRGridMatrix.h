#pragma once

#include "keyboard-control/ZRGridCoordinates.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// Values of a grid's cells, indexed [row][column] and made for a number of columns and rows: a read
// outside them finds nothing, so a grid whose counts changed since cannot reach past its cells.
template <class T> class ZRGridMatrix {
public:
    ZRGridMatrix() = default;
    // Empty when either count is below 1.
    ZRGridMatrix(std::int64_t columns, std::int64_t rows) {
        if (columns < 1 || rows < 1)
            return;
        m_columns = columns;
        m_rows = rows;
        m_values.resize(std::size_t(columns) * std::size_t(rows));
    }

    std::int64_t numberOfColumns() const { return m_columns; }
    std::int64_t numberOfRows() const { return m_rows; }
    bool isEmpty() const { return m_values.empty(); }
    bool contains(ZRGridCoordinates cell) const {
        return cell.column >= 0 && cell.row >= 0 && cell.column < m_columns && cell.row < m_rows;
    }

    // Null outside the matrix.
    const T* at(ZRGridCoordinates cell) const { return contains(cell) ? &m_values[index(cell)] : nullptr; }
    T* at(ZRGridCoordinates cell) { return contains(cell) ? &m_values[index(cell)] : nullptr; }
    const T* at(std::int64_t column, std::int64_t row) const { return at(ZRGridCoordinates{column, row}); }
    T* at(std::int64_t column, std::int64_t row) { return at(ZRGridCoordinates{column, row}); }

private:
    std::size_t index(ZRGridCoordinates cell) const {
        return std::size_t(cell.row) * std::size_t(m_columns) + std::size_t(cell.column);
    }

    std::int64_t m_columns = 0;
    std::int64_t m_rows = 0;
    std::vector<T> m_values;
};
