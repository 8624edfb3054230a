#include "layer/hxkinetormatrix.h"

#include <algorithm>

HxKinetorMatrix::HxKinetorMatrix() : m_rows(1), m_cols(1), m_data(1, 0.0) {}

HxKinetorMatrix::HxKinetorMatrix(int rows, int cols)
    : m_rows(std::max(rows, 0)), m_cols(std::max(cols, 0)),
      m_data(std::size_t(m_rows) * std::size_t(m_cols), 0.0)
{}

void HxKinetorMatrix::fill(double value)
{
    std::fill(m_data.begin(), m_data.end(), value);
}
