#include "hxcore/hxguid.h"
#include "hxcore/hxmatrix3.h"
#include "hxcore/hxmatrix4.h"
#include "hxcore/hxrotationorder.h"
#include "hxcore/hxtime.h"
#include "hxcore/hxtimerange.h"
#include "hxcore/hxvec3.h"

#include <QHash>
#include <QMetaProperty>
#include <QSet>
#include <QVariant>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

// --- HxVec3 ---------------------------------------------------------------------

TEST(HxVec3, NormalizeKeepsZeroAndSurvivesExtremeMagnitudes)
{
    HxVec3 zero;
    EXPECT_EQ(zero.normalize(), 0.0f);
    EXPECT_EQ(zero, HxVec3(0, 0, 0));
    EXPECT_TRUE(zero.isFinite());
    EXPECT_EQ(HxVec3().normalized(), HxVec3());

    HxVec3 v(3, 0, -4);
    EXPECT_FLOAT_EQ(v.normalize(), 5.0f);
    EXPECT_TRUE(v.equals(HxVec3(0.6f, 0.0f, -0.8f), 1e-7f));

    // Squares of these overflow or underflow a float.
    for (float scale : {1e30f, 1e-30f, std::numeric_limits<float>::denorm_min()}) {
        HxVec3 w(scale, scale, 0);
        const float before = w.normalize();
        EXPECT_GT(before, 0.0f) << scale;
        EXPECT_TRUE(w.isFinite()) << scale;
        EXPECT_NEAR(w.length(), 1.0f, 1e-6f) << scale;
    }
    EXPECT_FLOAT_EQ(HxVec3(1e30f, 0, 0).length(), 1e30f);
}

TEST(HxVec3, ArithmeticAndComparison)
{
    const HxVec3 ex(1, 0, 0), ey(0, 1, 0), ez(0, 0, 1);
    EXPECT_EQ(ex.cross(ey), ez);
    EXPECT_EQ(ey.cross(ez), ex);
    EXPECT_EQ(ez.cross(ex), ey);
    const HxVec3 a(1.5f, -2, 3), b(-4, 0.5f, 2);
    EXPECT_EQ(a.cross(b), -b.cross(a));
    EXPECT_FLOAT_EQ(a.cross(b).dot(a), 0.0f);
    EXPECT_FLOAT_EQ(a.dot(b), -6 - 1 + 6);

    EXPECT_EQ(a + b, HxVec3(-2.5f, -1.5f, 5));
    EXPECT_EQ(a - b, HxVec3(5.5f, -2.5f, 1));
    EXPECT_EQ(a * 2.0f, HxVec3(3, -4, 6));
    EXPECT_EQ(2.0f * a, a * 2.0f);
    HxVec3 c = a;
    c += b;
    c -= a;
    EXPECT_EQ(c, b);
    c *= -1.0f;
    EXPECT_EQ(c, -b);

    HxVec3 indexed;
    indexed[0] = 7;
    indexed[1] = 8;
    indexed[2] = 9;
    EXPECT_EQ(indexed, HxVec3(7, 8, 9));
    const HxVec3& constRef = indexed;
    EXPECT_EQ(constRef[1], 8.0f);

    // The tolerance is inclusive per component; NaN never compares equal.
    EXPECT_TRUE(HxVec3(1, 2, 3).equals(HxVec3(1.5f, 2, 2.5f), 0.5f));
    EXPECT_FALSE(HxVec3(1, 2, 3).equals(HxVec3(1, 2, 3.51f), 0.5f));
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_FALSE(HxVec3(nan, 0, 0).equals(HxVec3(nan, 0, 0), 1.0f));
    EXPECT_FALSE(HxVec3(0, nan, 0).isFinite());
    EXPECT_FALSE(HxVec3(0, 0, std::numeric_limits<float>::infinity()).isFinite());
    EXPECT_NE(HxVec3(0, 0, 1), HxVec3(0, 0, 2));
}

TEST(HxVec3, ScriptsSeeComponentsAsProperties)
{
    const QMetaObject& meta = HxVec3::staticMetaObject;
    HxVec3 v(1, 2, 3);
    const char* names[] = {"x", "y", "z"};
    for (int i = 0; i < 3; ++i) {
        const int index = meta.indexOfProperty(names[i]);
        ASSERT_GE(index, 0) << names[i];
        const QMetaProperty property = meta.property(index);
        EXPECT_EQ(property.readOnGadget(&v).toFloat(), v[i]);
        EXPECT_TRUE(property.writeOnGadget(&v, 10.0f * (i + 1)));
    }
    EXPECT_EQ(v, HxVec3(10, 20, 30));
    EXPECT_EQ(QVariant::fromValue(v).value<HxVec3>(), v);
}

// --- Matrices -------------------------------------------------------------------

TEST(HxMatrix, ConstructionLayoutAndProducts)
{
    const HxMatrix3 zero;
    const HxMatrix3 identity(true);
    const HxMatrix3 explicitZero(false);
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            EXPECT_EQ(zero.m[r][c], 0.0f);
            EXPECT_EQ(explicitZero.m[r][c], 0.0f);
            EXPECT_EQ(identity.m[r][c], r == c ? 1.0f : 0.0f);
        }
    }
    EXPECT_TRUE(identity.isIdentity());
    EXPECT_EQ(HxMatrix3::scale(HxVec3(2, 3, 4)).transform(HxVec3(1, 1, -1)), HxVec3(2, 3, -4));

    // value and setValue walk the elements row by row.
    float in[16];
    for (int n = 0; n < 16; ++n)
        in[n] = float(n + 1);
    HxMatrix4 m;
    m.setValue(in);
    EXPECT_EQ(m(0, 1), 2.0f);
    EXPECT_EQ(m.m[1][2], 7.0f);
    EXPECT_EQ(m.m[3][0], 13.0f);
    float out[16];
    m.value(out);
    EXPECT_TRUE(std::equal(in, in + 16, out));

    // setRow writes three elements and leaves the fourth column alone.
    m.setRow(1, HxVec3(-1, -2, -3));
    EXPECT_EQ(m.row(1), HxVec3(-1, -2, -3));
    EXPECT_EQ(m.m[1][3], 8.0f);
    EXPECT_EQ(m.m[0][0], 1.0f);

    // Row vectors: rows are axis images, row 3 the translation, and the left
    // factor of a product applies first.
    HxMatrix4 quarterZ = HxMatrix4::identity();
    quarterZ.setRow(0, HxVec3(0, 1, 0));
    quarterZ.setRow(1, HxVec3(-1, 0, 0));
    const HxMatrix4 shift = HxMatrix4::translation(HxVec3(10, 0, 0));
    EXPECT_EQ(quarterZ.transformPoint(HxVec3(1, 0, 0)), HxVec3(0, 1, 0));
    EXPECT_EQ((quarterZ * shift).transformPoint(HxVec3(1, 0, 0)), HxVec3(10, 1, 0));
    EXPECT_EQ((shift * quarterZ).transformPoint(HxVec3(1, 0, 0)), HxVec3(0, 11, 0));
    EXPECT_EQ((shift * quarterZ).transformVector(HxVec3(1, 0, 0)), HxVec3(0, 1, 0));
    EXPECT_EQ(quarterZ.transposed().transposed(), quarterZ);
    EXPECT_EQ(quarterZ * HxMatrix4::identity(), quarterZ);

    // A value-initialised matrix is all zeros, as QVariant builds it.
    const HxMatrix4 zeros{};
    EXPECT_TRUE(zeros.equals(HxMatrix4::identity() * zeros, 0.0f));
    EXPECT_EQ(zeros.m[2][2], 0.0f);
    EXPECT_FALSE(zeros.equals(HxMatrix4::identity(), 0.5f));
}

// --- Time ranges ----------------------------------------------------------------

TEST(HxTimeRange, IncludeWidensAndContainsIsInclusive)
{
    HxTimeRange range;
    EXPECT_EQ(range, HxTimeRange(0, 0));
    EXPECT_TRUE(range.contains(0));
    EXPECT_FALSE(range.contains(1));

    range.setEnds(160, 480);
    EXPECT_TRUE(range.contains(160));
    EXPECT_TRUE(range.contains(480));
    EXPECT_FALSE(range.contains(159));
    EXPECT_FALSE(range.contains(481));

    range.include(320);
    EXPECT_EQ(range, HxTimeRange(160, 480));
    range.include(-4800);
    EXPECT_EQ(range, HxTimeRange(-4800, 480));
    range.include(2 * HX_TICKS_PER_SECOND);
    EXPECT_EQ(range, HxTimeRange(-4800, 9600));
    EXPECT_NE(range, HxTimeRange(-4800, 9599));

    // An inverted range holds nothing; including a time makes it just that time.
    HxTimeRange inverted(500, 100);
    EXPECT_TRUE(inverted.isEmpty());
    EXPECT_FALSE(inverted.contains(300));
    inverted.include(700);
    EXPECT_EQ(inverted, HxTimeRange(700, 700));
}

// --- Rotation order names -------------------------------------------------------

TEST(HxRotationOrder, NamesRoundTripAndBadNamesAreRejected)
{
    for (int i = 0; i < 6; ++i) {
        const auto order = static_cast<HxRotationOrder>(i);
        const QString name = hxRotationOrderName(order);
        EXPECT_EQ(name.size(), 3);
        HxRotationOrder parsed = HxRotationOrder::XYZ;
        ASSERT_TRUE(hxRotationOrderFromName(name, &parsed)) << name.toStdString();
        EXPECT_EQ(parsed, order);
        parsed = HxRotationOrder::XYZ;
        EXPECT_TRUE(hxRotationOrderFromName(" " + name.toLower() + " ", &parsed));
        EXPECT_EQ(parsed, order);
        // The three axes are a permutation, listed in the order the name spells.
        int a, b, c;
        hxRotationOrderAxes(order, a, b, c);
        const QChar letters[3] = {QChar('X' + a), QChar('X' + b), QChar('X' + c)};
        EXPECT_EQ(QString(letters, 3), name);
    }
    EXPECT_EQ(hxRotationOrderName(HxRotationOrder::ZXY), QStringLiteral("ZXY"));

    HxRotationOrder untouched = HxRotationOrder::YZX;
    for (const char* bad : {"", "XY", "XXY", "XYZW", "ABC", "X Y Z"})
        EXPECT_FALSE(hxRotationOrderFromName(QString::fromLatin1(bad), &untouched)) << bad;
    EXPECT_EQ(untouched, HxRotationOrder::YZX);
    EXPECT_TRUE(hxRotationOrderFromName(QStringLiteral("ZYX"), nullptr));
    EXPECT_TRUE(hxRotationOrderName(static_cast<HxRotationOrder>(42)).isEmpty());
}

// --- GUIDs ----------------------------------------------------------------------

TEST(HxGUID, ParsePrintAndCompare)
{
    const QString canonical = QStringLiteral("89F86E80-ADA4-433A-97E4-0C349C8D3E34");
    const HxGUID plain = HxGUID::fromString(QStringLiteral("89F86E80-ADA4-433a-97E4-0C349C8D3E34"));
    ASSERT_FALSE(plain.isNull());
    EXPECT_EQ(plain.toString(), canonical);
    EXPECT_EQ(HxGUID::fromString(canonical.toLower()), plain);
    EXPECT_EQ(HxGUID::fromString("{" + canonical + "}"), plain);
    EXPECT_EQ(HxGUID::fromString(" {" + canonical.toLower() + "}\n"), plain);
    EXPECT_EQ(HxGUID::fromString(plain.toString()), plain);

    for (const char* bad : {"", "{}", "not a guid", "89F86E80-ADA4-433a-97E4-0C349C8D3E3",
                            "89F86E80-ADA4-433a-97E4-0C349C8D3E345", "89F86E80ADA4-433a-97E4-0C349C8D3E34-",
                            "89F86E80-ADA4-433a-97E4-0C349C8D3EG4", "{89F86E80-ADA4-433a-97E4-0C349C8D3E34",
                            "89F86E80-ADA4-433a-97E4-0C349C8D3E34}",
                            "{{89F86E80-ADA4-433a-97E4-0C349C8D3E34}}", "89F86E80ADA4433a97E40C349C8D3E34"}) {
        EXPECT_TRUE(HxGUID::fromString(QString::fromLatin1(bad)).isNull()) << bad;
    }
    EXPECT_TRUE(HxGUID().isNull());
    EXPECT_EQ(HxGUID().toString(), QStringLiteral("00000000-0000-0000-0000-000000000000"));

    const HxGUID other = HxGUID::fromString(QStringLiteral("89F86E80-ADA4-433A-97E4-0C349C8D3E35"));
    EXPECT_NE(other, plain);
    EXPECT_TRUE(plain < other);
    EXPECT_FALSE(other < plain);
    EXPECT_FALSE(plain < plain);

    // Ordering matches the printed strings, field by field.
    std::vector<HxGUID> guids;
    for (const char* text : {"00000001-0000-0000-0000-000000000000", "FFFFFFFF-0000-0000-0000-000000000000",
                             "10000000-FFFF-0000-0000-000000000000", "10000000-0000-0001-0000-000000000000",
                             "10000000-0000-0000-8000-000000000000", "10000000-0000-0000-0000-000000000001",
                             "10000000-0000-0000-C000-000000000000", "10000000-0000-0000-0000-010000000000"})
        guids.push_back(HxGUID::fromString(QString::fromLatin1(text)));
    std::vector<HxGUID> sorted = guids;
    std::sort(sorted.begin(), sorted.end());
    for (size_t n = 1; n < sorted.size(); ++n)
        EXPECT_LT(sorted[n - 1].toString(), sorted[n].toString());

    QSet<HxGUID> set = {plain, other, HxGUID::fromString(canonical.toLower())};
    EXPECT_EQ(set.size(), 2);
    EXPECT_EQ(qHash(plain, 17), qHash(HxGUID::fromString("{" + canonical + "}"), 17));
    EXPECT_EQ(QVariant::fromValue(plain).value<HxGUID>(), plain);
}

TEST(HxGUID, LegacyClassIdsAreDistinctStableAndApart)
{
    const quint32 ids[] = {0x10000014, 0x10000015, 0x10000016, 0x10000017, 1, 0xFFFFFFFF};
    QHash<HxGUID, quint32> seen;
    for (quint32 id : ids) {
        const HxGUID guid = HxGUID::fromLegacyClassID(id);
        EXPECT_FALSE(guid.isNull());
        EXPECT_TRUE(guid.isLegacy());
        EXPECT_EQ(guid, HxGUID::fromLegacyClassID(id));
        EXPECT_EQ(guid.legacyClassID(), id);
        // Written to a file as text and read back, it is still the same class.
        EXPECT_EQ(HxGUID::fromString(guid.toString()), guid);
        EXPECT_EQ(HxGUID::fromString(guid.toString()).legacyClassID(), id);
        EXPECT_FALSE(seen.contains(guid)) << id;
        seen.insert(guid, id);
    }
    EXPECT_EQ(HxGUID::fromLegacyClassID(0).legacyClassID(), 0u);
    EXPECT_FALSE(HxGUID::fromLegacyClassID(0).isNull());

    // Identifiers parsed from text are never taken for legacy ones, even when
    // their first field holds the same number.
    const HxGUID parsed = HxGUID::fromString(QStringLiteral("10000014-ADA4-433A-97E4-0C349C8D3E34"));
    EXPECT_FALSE(parsed.isLegacy());
    EXPECT_EQ(parsed.legacyClassID(), 0u);
    EXPECT_NE(parsed, HxGUID::fromLegacyClassID(0x10000014));
    for (int n = 0; n < 100; ++n)
        EXPECT_FALSE(HxGUID(QUuid::createUuid()).isLegacy());
}
