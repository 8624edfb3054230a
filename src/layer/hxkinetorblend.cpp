#include "layer/hxkinetorblend.h"

#include "layer/hxkinetorlayer.h"
#include "layer/hxpointcontrol.h"
#include "model/hxkinetorpose.h"

#include "hxcore/hxmatrix4.h"
#include "hxcore/hxvec3.h"

#include <algorithm>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstring>

#if (defined(__x86_64__) || defined(__i386__)) && defined(__GNUC__)
#include <immintrin.h>
#define HX_CAN_CLEAR_UPPER_HALVES 1
#endif

namespace {

// Unit vector from the first dot towards a dot, as the layout test and the
// line coordinates use it (a dot on the first dot gives the zero vector).
HxVec3 directionFromFirst(const std::vector<HxBlendDot>& dots, std::size_t index)
{
    HxVec3 v(dots[index].x - dots[0].x, dots[index].y - dots[0].y, 0.0f);
    v.normalize();
    return v;
}

std::vector<HxBlendDot> dotsOf(const QList<HxKinetorPose*>& poses)
{
    std::vector<HxBlendDot> dots;
    dots.reserve(std::size_t(poses.size()));
    for (const HxKinetorPose* pose : poses)
        dots.push_back({pose ? pose->getX() : 0.0f, pose ? pose->getY() : 0.0f});
    return dots;
}

#ifdef HX_CAN_CLEAR_UPPER_HALVES
__attribute__((target("avx"))) void zeroUpperHalves()
{
    _mm256_zeroupper();
}
#endif

// The orthonormalizing works on rows in lanes: float products and sums,
// lengths from squares summed in double.
constexpr int kLanes = HxRotationRowLanes::Lanes;
using RowLanes = HxRotationRowLanes;

inline void cross(const RowLanes& a, const RowLanes& b, RowLanes& out)
{
    for (int l = 0; l < kLanes; ++l) {
        out.x[l] = a.y[l] * b.z[l] - a.z[l] * b.y[l];
        out.y[l] = a.z[l] * b.x[l] - a.x[l] * b.z[l];
        out.z[l] = a.x[l] * b.y[l] - a.y[l] * b.x[l];
    }
}

inline void normalize(RowLanes& r)
{
    for (int l = 0; l < kLanes; ++l) {
        const double len =
            std::sqrt(double(r.x[l]) * r.x[l] + double(r.y[l]) * r.y[l] + double(r.z[l]) * r.z[l]);
        // A zero row stays zero, scaled by 1 / DBL_MIN: the length of any
        // other finite row of floats is far above DBL_MIN, so the floor
        // changes nothing else, and it compiles to two vector instructions
        // where testing for zero, infinity and NaN took six. (Rows that are
        // not finite give meaningless results with either form; a tick never
        // orthonormalizes them.)
        // One division and three products rather than three divisions: in
        // double, the two differ by a last-bit rounding that survives the
        // cast to float only next to a float's midpoint.
        const double inverse = 1.0 / std::max(len, DBL_MIN);
        r.x[l] = float(r.x[l] * inverse);
        r.y[l] = float(r.y[l] * inverse);
        r.z[l] = float(r.z[l] * inverse);
    }
}

// a becomes the normalized mean of a and b.
inline void averageInto(RowLanes& a, const RowLanes& b)
{
    for (int l = 0; l < kLanes; ++l) {
        a.x[l] = (a.x[l] + b.x[l]) * 0.5f;
        a.y[l] = (a.y[l] + b.y[l]) * 0.5f;
        a.z[l] = (a.z[l] + b.z[l]) * 0.5f;
    }
    normalize(a);
}

// One pass of the iteration over every lane of rows: each row moves halfway
// towards the cross product of the other two, then back to unit length.
HX_LANE_CLONES void orthonormalizeStep(const RowLanes (&rows)[3], RowLanes (&next)[3])
{
    cross(rows[1], rows[2], next[0]);
    cross(rows[2], rows[0], next[1]);
    cross(rows[0], rows[1], next[2]);
    // Row by row, not in a loop: a loop around the lane loops keeps the
    // compiler from vectorizing them.
    normalize(next[0]);
    normalize(next[1]);
    normalize(next[2]);
    averageInto(next[0], rows[0]);
    averageInto(next[1], rows[1]);
    averageInto(next[2], rows[2]);
}

// One row coordinate's lanes as a vector, and lane masks (all ones or all
// zeros) of the same width. Passed by reference: vectors by value change
// the calling convention between the default and the AVX2 clones.
using FloatLanes = float __attribute__((vector_size(sizeof(float) * kLanes)));
using IntLanes = int __attribute__((vector_size(sizeof(int) * kLanes)));

// out = a in the lanes where the mask is set, b in the others, bit for bit.
inline void chooseLanes(const IntLanes& mask, const float (&a)[kLanes], const float (&b)[kLanes],
                        float (&out)[kLanes])
{
    IntLanes av, bv;
    std::memcpy(&av, a, sizeof av);
    std::memcpy(&bv, b, sizeof bv);
    const IntLanes chosen = (mask & av) | (~mask & bv);
    std::memcpy(out, &chosen, sizeof chosen);
}

// The lanes of a row's x, y and z dotted with another row's, in float.
inline void dotLanes(const RowLanes& a, const RowLanes& b, FloatLanes& out)
{
    FloatLanes ax, ay, az, bx, by, bz;
    std::memcpy(&ax, a.x, sizeof ax);
    std::memcpy(&ay, a.y, sizeof ay);
    std::memcpy(&az, a.z, sizeof az);
    std::memcpy(&bx, b.x, sizeof bx);
    std::memcpy(&by, b.y, sizeof by);
    std::memcpy(&bz, b.z, sizeof bz);
    out = ax * bx + ay * by + az * bz;
}

// Takes each unfinished lane's next rows, and marks a lane finished once the
// float sum of its rows' squared dot products is below 1e-6. Finished lanes
// keep their rows; a lane is one int of done, 0 or 1. In vectors by hand:
// written as a loop over lanes, the choice compiles to masked loads and
// stores, which cost more than the rest of the pass on some cores.
HX_LANE_CLONES void acceptStep(RowLanes (&rows)[3], const RowLanes (&next)[3], int (&done)[kLanes])
{
    IntLanes finished;
    std::memcpy(&finished, done, sizeof finished);
    const IntLanes keep = finished != 0;
    for (int r = 0; r < 3; ++r) {
        chooseLanes(keep, rows[r].x, next[r].x, rows[r].x);
        chooseLanes(keep, rows[r].y, next[r].y, rows[r].y);
        chooseLanes(keep, rows[r].z, next[r].z, rows[r].z);
    }
    FloatLanes xy, yz, zx;
    dotLanes(rows[0], rows[1], xy);
    dotLanes(rows[1], rows[2], yz);
    dotLanes(rows[2], rows[0], zx);
    const IntLanes converged = xy * xy + yz * yz + zx * zx < 1e-6f;
    const IntLanes nowDone = (converged & 1) | finished;
    std::memcpy(done, &nowDone, sizeof nowDone);
}

} // namespace

void hxClearUpperVectorHalves()
{
#ifdef HX_CAN_CLEAR_UPPER_HALVES
    static const bool avx = __builtin_cpu_supports("avx");
    if (avx)
        zeroUpperHalves();
#endif
}

int hxTruncateCoordinate(float value)
{
    if (std::isnan(value))
        return 0;
    if (value >= 2147483647.0f)
        return INT_MAX;
    if (value <= -2147483648.0f)
        return INT_MIN;
    return int(value);
}

double hxBlendLineCoordinate(const std::vector<HxBlendDot>& dots, float cursorX, float cursorY)
{
    const HxVec3 u = directionFromFirst(dots, 1);
    return double(HxVec3(cursorX - dots[0].x, cursorY - dots[0].y, 0.0f).dot(u));
}

void hxBlendCursorRow(const std::vector<HxBlendDot>& dots, float cursorX, float cursorY, bool collinear,
                      double tc, double* row)
{
    const std::size_t n = dots.size();
    for (std::size_t i = 0; i < n; ++i)
        row[i] = hxBlendDistance(cursorX, cursorY, dots[i].x, dots[i].y);
    row[n] = 1.0;
    if (collinear) {
        row[n + 1] = tc;
    } else {
        row[n + 1] = double(cursorX);
        row[n + 2] = double(cursorY);
    }
}

double hxBlendDistance(float ax, float ay, float bx, float by)
{
    double dx = double(hxTruncateCoordinate(bx)) - double(hxTruncateCoordinate(ax));
    double dy = double(hxTruncateCoordinate(by)) - double(hxTruncateCoordinate(ay));
    return std::sqrt(dx * dx + dy * dy);
}

void buildBlendSystem(const std::vector<HxBlendDot>& dots, float cursorX, float cursorY, HxKinetorMatrix& a,
                      bool& collinear, double& tc)
{
    collinear = true;
    const int n = int(dots.size());
    if (n < 2) {
        a = HxKinetorMatrix(0, 0);
        return;
    }

    const HxVec3 u = directionFromFirst(dots, 1);
    for (int i = 2; i < n; ++i) {
        float c = u.dot(directionFromFirst(dots, std::size_t(i)));
        if (1.0 - std::fabs(double(c)) > double(0.1f)) {
            collinear = false;
            break;
        }
    }

    const int m = collinear ? n + 2 : n + 3;
    a = HxKinetorMatrix(m, m);
    for (int i = 1; i <= n; ++i) {
        for (int j = 1; j <= n; ++j) {
            if (i != j)
                a(i, j) = hxBlendDistance(dots[std::size_t(i - 1)].x, dots[std::size_t(i - 1)].y,
                                          dots[std::size_t(j - 1)].x, dots[std::size_t(j - 1)].y);
        }
        a(i, n + 1) = a(n + 1, i) = 1.0;
    }

    if (collinear) {
        tc = hxBlendLineCoordinate(dots, cursorX, cursorY);
        for (int i = 2; i <= n; ++i) {
            const HxBlendDot& p = dots[std::size_t(i - 1)];
            double t = double(HxVec3(p.x - dots[0].x, p.y - dots[0].y, 0.0f).dot(u));
            a(i, n + 2) = a(n + 2, i) = t;
        }
    } else {
        for (int i = 1; i <= n; ++i) {
            const HxBlendDot& p = dots[std::size_t(i - 1)];
            a(i, n + 2) = a(n + 2, i) = double(p.x);
            a(i, n + 3) = a(n + 3, i) = double(p.y);
        }
    }
}

HxBlendFactors factorBlendSystem(const HxKinetorMatrix& system)
{
    HxBlendFactors f;
    const int m = system.rows();
    if (m <= 0 || system.cols() != m)
        return f;
    f.m = m;
    HxKinetorMatrix a = system;

    // Row i of a (1-based) starts at row(i). Rows are never moved, only
    // their places in the index vector l; each row keeps its multipliers
    // left of the diagonal.
    double* ad = a.data();
    auto row = [&](int i) {
        return ad + std::size_t(i - 1) * std::size_t(m) - 1;
    };
    std::vector<int> l(std::size_t(m) + 1);
    std::vector<double> s(std::size_t(m) + 1);
    double sign = 1.0;
    for (int i = 1; i <= m; ++i) {
        l[std::size_t(i)] = i;
        double largest = 0.0;
        const double* r = row(i);
        for (int j = 1; j <= m; ++j)
            largest = std::max(largest, std::fabs(r[j]));
        s[std::size_t(i)] = largest;
    }

    for (int k = 1; k < m; ++k) {
        int p = k;
        double best = 0.0;
        for (int i = k; i <= m; ++i) {
            int li = l[std::size_t(i)];
            double ratio = std::fabs(row(li)[k]) / s[std::size_t(li)];
            if (ratio > best) {
                best = ratio;
                p = i;
            }
        }
        if (p != k) {
            std::swap(l[std::size_t(p)], l[std::size_t(k)]);
            sign = -sign;
        }
        const double* pivotRow = row(l[std::size_t(k)]);
        const double pivot = pivotRow[k];
        for (int i = k + 1; i <= m; ++i) {
            double* r = row(l[std::size_t(i)]);
            double factor = r[k] / pivot;
            for (int j = k + 1; j <= m; ++j)
                r[j] -= factor * pivotRow[j];
            r[k] = factor;
        }
    }

    f.determinant = sign;
    f.order.resize(std::size_t(m));
    f.rows.resize(std::size_t(m) * std::size_t(m));
    for (int i = 1; i <= m; ++i) {
        const double* r = row(l[std::size_t(i)]);
        f.determinant *= r[i];
        f.order[std::size_t(i - 1)] = l[std::size_t(i)] - 1;
        std::copy(r + 1, r + 1 + m, f.rows.begin() + std::ptrdiff_t(i - 1) * m);
    }
    return f;
}

void solveFactored(const HxBlendFactors& f, const double* b, double* x)
{
    // Forward, then back substitution, each row summed in column order:
    // the same operations, in the same order, as eliminating b beside the
    // matrix, so a solve through stored factors matches a fresh one exactly.
    const int m = f.m;
    for (int i = 0; i < m; ++i) {
        const double* r = f.rows.data() + std::size_t(i) * std::size_t(m);
        double sum = b[f.order[std::size_t(i)]];
        for (int k = 0; k < i; ++k)
            sum -= r[k] * x[k];
        x[i] = sum;
    }
    for (int i = m - 1; i >= 0; --i) {
        const double* r = f.rows.data() + std::size_t(i) * std::size_t(m);
        double sum = x[i];
        for (int j = i + 1; j < m; ++j)
            sum -= r[j] * x[j];
        x[i] = sum / r[i];
    }
}

double solveLinearSystem(HxKinetorMatrix a, HxKinetorMatrix b, HxKinetorMatrix& x)
{
    const int m = a.rows();
    if (m <= 0 || a.cols() != m || b.rows() < m || b.cols() < 1)
        return 0.0;
    if (x.rows() < m || x.cols() < 1)
        x = HxKinetorMatrix(m, 1);
    const HxBlendFactors f = factorBlendSystem(a);
    std::vector<double> rhs(static_cast<std::size_t>(m));
    std::vector<double> solution(static_cast<std::size_t>(m));
    for (int i = 1; i <= m; ++i)
        rhs[std::size_t(i - 1)] = b(i, 1);
    solveFactored(f, rhs.data(), solution.data());
    for (int i = 1; i <= m; ++i)
        x(i, 1) = solution[std::size_t(i - 1)];
    return f.determinant;
}

double evaluateBlend(const HxKinetorMatrix& a, const HxKinetorMatrix& b, HxKinetorMatrix& x,
                     const std::vector<HxBlendDot>& dots, float cursorX, float cursorY, bool collinear,
                     double tc)
{
    const int n = int(dots.size());
    const int m = a.rows();
    if (n < 2 || m != (collinear ? n + 2 : n + 3))
        return 0.0;
    solveLinearSystem(a, b, x);

    std::vector<double> k(static_cast<std::size_t>(m));
    hxBlendCursorRow(dots, cursorX, cursorY, collinear, tc, k.data());
    double value = 0.0;
    for (int i = 1; i <= n; ++i)
        value += x(i, 1) * k[std::size_t(i - 1)];
    value += x(n + 1, 1);
    if (collinear)
        value += x(n + 2, 1) * tc;
    else
        value += x(n + 2, 1) * double(cursorX) + x(n + 3, 1) * double(cursorY);
    return value;
}

bool computeBlendWeights(const HxKinetorMatrix& a, const std::vector<HxBlendDot>& dots, float cursorX,
                         float cursorY, bool collinear, double tc, std::vector<double>& weights)
{
    const int n = int(dots.size());
    const int m = a.rows();
    if (n < 2 || m != (collinear ? n + 2 : n + 3))
        return false;

    // value = k . x with a x = b, so value = (a^-T k) . b; a is symmetric,
    // so w = a^-1 k, and the polynomial rows of b are zero.
    HxKinetorMatrix k(m, 1);
    hxBlendCursorRow(dots, cursorX, cursorY, collinear, tc, k.data());
    HxKinetorMatrix w(m, 1);
    solveLinearSystem(a, k, w);

    weights.resize(std::size_t(n));
    for (int i = 1; i <= n; ++i) {
        double weight = w(i, 1);
        if (!std::isfinite(weight))
            return false;
        weights[std::size_t(i - 1)] = weight;
    }
    return true;
}

void buildBlendSystem(const HxKinetorLayer* layer, const QList<HxKinetorPose*>& poses, HxKinetorMatrix& a,
                      bool& collinear, double& tc)
{
    const HxPointControl* cursor = layer ? layer->getCursor() : nullptr;
    buildBlendSystem(dotsOf(poses), cursor ? cursor->x() : 0.0f, cursor ? cursor->y() : 0.0f, a, collinear,
                     tc);
}

double evaluateBlend(const HxKinetorMatrix& a, const HxKinetorMatrix& b, HxKinetorMatrix& x,
                     const HxKinetorLayer* layer, const QList<HxKinetorPose*>& poses, bool collinear,
                     double tc)
{
    const HxPointControl* cursor = layer ? layer->getCursor() : nullptr;
    return evaluateBlend(a, b, x, dotsOf(poses), cursor ? cursor->x() : 0.0f, cursor ? cursor->y() : 0.0f,
                         collinear, tc);
}

void hxOrthonormalizeRotation(HxMatrix4& matrix)
{
    HxRotationLaneBlock block = {};
    for (int r = 0; r < 3; ++r) {
        block.rows[r].x[0] = matrix.m[r][0];
        block.rows[r].y[0] = matrix.m[r][1];
        block.rows[r].z[0] = matrix.m[r][2];
    }
    // The other lanes hold zero rows and are left out from the start.
    std::fill(std::begin(block.done) + 1, std::end(block.done), 1);
    hxOrthonormalizeLanes(&block, 1);
    for (int r = 0; r < 3; ++r) {
        matrix.m[r][0] = block.rows[r].x[0];
        matrix.m[r][1] = block.rows[r].y[0];
        matrix.m[r][2] = block.rows[r].z[0];
    }
}

HX_LANE_CLONES void hxMarkNonFiniteLanes(HxRotationLaneBlock& block)
{
    const IntLanes exponent = IntLanes{} + 0x7f800000;
    IntLanes notFinite = {};
    for (const RowLanes& row : block.rows) {
        for (const float (*coordinate)[kLanes] : {&row.x, &row.y, &row.z}) {
            IntLanes bits;
            std::memcpy(&bits, *coordinate, sizeof bits);
            notFinite |= (bits & exponent) == exponent;
        }
    }
    IntLanes marked;
    std::memcpy(&marked, block.done, sizeof marked);
    marked |= notFinite & 1;
    std::memcpy(block.done, &marked, sizeof marked);
}

void hxOrthonormalizeLanes(HxRotationLaneBlock* blocks, int count)
{
    // Each pass runs for every block before the next pass: one block's pass
    // is a short chain of dependent operations, and the blocks' chains are
    // independent, so the processor overlaps them.
    constexpr int kMostPasses = 10;
    for (int pass = 0; pass < kMostPasses; ++pass) {
        bool any = false;
        for (int b = 0; b < count; ++b) {
            HxRotationLaneBlock& block = blocks[b];
            if (std::all_of(std::begin(block.done), std::end(block.done), [](int d) { return d != 0; }))
                continue;
            RowLanes next[3];
            orthonormalizeStep(block.rows, next);
            acceptStep(block.rows, next, block.done);
            any = true;
        }
        if (!any)
            return;
    }
}
