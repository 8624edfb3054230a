#pragma once

#include "layer/hxkinetorblend.h"
#include "layer/hxkinetormatrix.h"

#include <vector>

// The blend system of one dot layout, eliminated once. The matrix does not
// depend on the cursor, so the weights at any cursor cost one basis row and
// one forward and back substitution (O(n^2)) instead of a fresh elimination.
class HxKinetorBlendSystem
{
public:
    // The dots in list order, none sharing an integer cell with another.
    // Fewer than two leave the system empty.
    void build(std::vector<HxBlendDot> dots);
    bool isEmpty() const { return m_dots.size() < 2; }

    const std::vector<HxBlendDot>& dots() const { return m_dots; }
    const HxKinetorMatrix& matrix() const { return m_matrix; }
    bool isCollinear() const { return m_collinear; }
    // The cursor's line coordinate in the one-dimensional system, else 0.
    double lineCoordinate(float x, float y) const;

    // One weight per dot at the cursor; false when the system is empty or a
    // weight is not finite (coincident dots, a cursor far beyond range).
    bool weightsAt(float x, float y, double* weights) const;

private:
    std::vector<HxBlendDot> m_dots;
    HxKinetorMatrix m_matrix{0, 0};
    bool m_collinear = true;
    HxBlendFactors m_factors;
    // Scratch of the substitutions, kept to spare an allocation per tick.
    mutable std::vector<double> m_row;
    mutable std::vector<double> m_solution;
};
