#pragma once

#include "layer/hxkinetormatrix.h"

class HxMatrix4;

#include <QList>
#include <vector>

class HxKinetorLayer;
class HxKinetorPose;

// Radial basis interpolation over the pose dots of a layer. Every channel of
// a blend is a linear combination of the dots' values whose weights depend
// only on the dot layout and the cursor.
//
// Distances are taken between integer points: each coordinate of a dot and of
// the cursor is truncated toward zero first. The polynomial terms use the
// float coordinates as they are.

struct HxBlendDot
{
    float x = 0.0f;
    float y = 0.0f;
};

// Truncation toward zero that stays defined for values beyond the int range
// and for NaN (which counts as 0).
int hxTruncateCoordinate(float value);
// Distance between the truncated points, in double.
double hxBlendDistance(float ax, float ay, float bx, float by);

// Builds the square system of the dots (at least two). collinear is set to
// true first and cleared when some dot lies more than about 25.84 degrees off
// the line through the first two dots, seen from the first; then the system
// has a linear polynomial in x and y (n + 3 rows), else one along that line
// (n + 2 rows) and tc receives the cursor's coordinate on the line.
void buildBlendSystem(const std::vector<HxBlendDot>& dots, float cursorX, float cursorY, HxKinetorMatrix& a,
                      bool& collinear, double& tc);
// The same over a layer's cursor and the given poses' positions.
void buildBlendSystem(const HxKinetorLayer* layer, const QList<HxKinetorPose*>& poses, HxKinetorMatrix& a,
                      bool& collinear, double& tc);

// The elimination of a system kept for any number of right-hand sides: the
// rows in pivot order, each with its multipliers left of the diagonal and
// its eliminated entries from the diagonal on (m x m, row by row), and the
// row of the system (0-based) that stands at each pivot position.
struct HxBlendFactors
{
    int m = 0;
    std::vector<int> order;
    std::vector<double> rows;
    double determinant = 0.0;
};

// Gaussian elimination with scaled partial pivoting on a row index vector.
HxBlendFactors factorBlendSystem(const HxKinetorMatrix& a);
// Solves with stored factors; b is in the system's row order, x receives m
// values. O(m^2), and bit for bit what solveLinearSystem gives.
void solveFactored(const HxBlendFactors& factors, const double* b, double* x);

// Solves a * x = b by Gaussian elimination with scaled partial pivoting on a
// row index vector, writing the first column of x (resized to m x 1 when it
// does not fit). Returns the determinant of a. There is no test for a zero
// pivot: singular systems give non-finite results, which callers check.
double solveLinearSystem(HxKinetorMatrix a, HxKinetorMatrix b, HxKinetorMatrix& x);

// The cursor's coordinate along the line through the first two dots, as the
// one-dimensional system measures it.
double hxBlendLineCoordinate(const std::vector<HxBlendDot>& dots, float cursorX, float cursorY);
// The system's row at the cursor: the basis function of each dot, then the
// polynomial terms (m values).
void hxBlendCursorRow(const std::vector<HxBlendDot>& dots, float cursorX, float cursorY, bool collinear,
                      double tc, double* row);

// The interpolated value at the cursor for the right-hand side b (the dots'
// values, zero in the polynomial rows): solves for the coefficients x, then
// sums the basis functions and the polynomial at the cursor.
double evaluateBlend(const HxKinetorMatrix& a, const HxKinetorMatrix& b, HxKinetorMatrix& x,
                     const std::vector<HxBlendDot>& dots, float cursorX, float cursorY, bool collinear,
                     double tc);
double evaluateBlend(const HxKinetorMatrix& a, const HxKinetorMatrix& b, HxKinetorMatrix& x,
                     const HxKinetorLayer* layer, const QList<HxKinetorPose*>& poses, bool collinear,
                     double tc);

// The weight of each dot at the cursor, so that evaluateBlend of any channel
// equals the sum of weight times value. The system is symmetric, so one
// elimination with the cursor's basis row as right-hand side gives them all.
// Returns false (weights unspecified) when a weight is not finite.
bool computeBlendWeights(const HxKinetorMatrix& a, const std::vector<HxBlendDot>& dots, float cursorX,
                         float cursorY, bool collinear, double tc, std::vector<double>& weights);

// Once code in the process has run 256-bit AVX instructions without clearing
// the upper register halves, every legacy SSE instruction (the math library's
// atan2 among them) pays a state transition or a merge. This clears them when
// the machine has AVX and does nothing otherwise, so the build keeps the
// baseline instruction set.
void hxClearUpperVectorHalves();

// Makes the upper 3 x 3 of a blended rotation matrix orthonormal again: up
// to ten passes averaging each row with the cross product of the other two,
// until the float sum of the squared dot products is below 1e-6. Written out
// in floats, the squares summed in double for the lengths and each row
// scaled by the reciprocal of its length, without a call per operation.
void hxOrthonormalizeRotation(HxMatrix4& matrix);

// Lane loops are built twice, for plain x86-64 and for AVX2, and the machine
// picks one at run time, so the build's baseline stays plain x86-64. Neither
// uses FMA, so each product and sum rounds exactly as in the plain loop.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define HX_LANE_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define HX_LANE_CLONES
#endif

// The rows of up to eight rotations side by side, a lane per rotation, so
// that each lane loop runs in vector registers.
struct HxRotationRowLanes
{
    static constexpr int Lanes = 8;
    float x[Lanes], y[Lanes], z[Lanes];
};
// Up to eight rotations being made orthonormal: their rows, and for each
// lane whether it is finished (1) or still to converge (0).
struct HxRotationLaneBlock
{
    HxRotationRowLanes rows[3];
    int done[HxRotationRowLanes::Lanes];
};
// hxOrthonormalizeRotation for every lane whose done flag is 0, in each of
// count blocks, each lane giving exactly what it would alone; a lane is
// finished once it converges, and lanes that start finished are left as
// they are.
void hxOrthonormalizeLanes(HxRotationLaneBlock* blocks, int count);
// Marks finished every lane with a value that is not finite, which is left
// as it is.
void hxMarkNonFiniteLanes(HxRotationLaneBlock& block);
