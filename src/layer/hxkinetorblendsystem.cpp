#include "layer/hxkinetorblendsystem.h"

#include <cmath>

void HxKinetorBlendSystem::build(std::vector<HxBlendDot> dots)
{
    m_dots = std::move(dots);
    m_factors = HxBlendFactors();
    m_matrix = HxKinetorMatrix(0, 0);
    m_collinear = true;
    if (isEmpty())
        return;
    double unused = 0.0;
    buildBlendSystem(m_dots, m_dots[0].x, m_dots[0].y, m_matrix, m_collinear, unused);
    m_factors = factorBlendSystem(m_matrix);
    m_row.assign(std::size_t(m_factors.m), 0.0);
    m_solution.assign(std::size_t(m_factors.m), 0.0);
}

double HxKinetorBlendSystem::lineCoordinate(float x, float y) const
{
    return m_collinear && !isEmpty() ? hxBlendLineCoordinate(m_dots, x, y) : 0.0;
}

bool HxKinetorBlendSystem::weightsAt(float x, float y, double* weights) const
{
    if (isEmpty())
        return false;
    // value = k . c with A c = b, so value = (A^-T k) . b; A is symmetric
    // and the polynomial rows of b are zero, so the weights are the first n
    // entries of A^-1 k.
    hxBlendCursorRow(m_dots, x, y, m_collinear, lineCoordinate(x, y), m_row.data());
    solveFactored(m_factors, m_row.data(), m_solution.data());
    for (std::size_t i = 0; i < m_dots.size(); ++i) {
        if (!std::isfinite(m_solution[i]))
            return false;
        weights[i] = m_solution[i];
    }
    return true;
}
