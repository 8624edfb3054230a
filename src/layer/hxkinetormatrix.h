#pragma once

#include <vector>

// A dense matrix of doubles stored row by row, addressed with 1-based
// indices as the blend system is written: element (i, j) is at
// (i - 1) * cols + (j - 1).
class HxKinetorMatrix
{
public:
    // 1 x 1 holding 0.
    HxKinetorMatrix();
    // rows x cols zeros; a negative size counts as 0.
    HxKinetorMatrix(int rows, int cols);

    int rows() const { return m_rows; }
    int cols() const { return m_cols; }

    double& operator()(int i, int j) { return m_data[std::size_t((i - 1) * m_cols + (j - 1))]; }
    double operator()(int i, int j) const { return m_data[std::size_t((i - 1) * m_cols + (j - 1))]; }

    void fill(double value);

    double* data() { return m_data.data(); }
    const double* data() const { return m_data.data(); }

private:
    int m_rows;
    int m_cols;
    std::vector<double> m_data;
};
