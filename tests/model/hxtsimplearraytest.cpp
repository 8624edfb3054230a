#include "model/hxtsimplearray.h"

#include <QStringList>
#include <climits>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace {

const QString kIndexMessage = QStringLiteral("Illegal array index in HxTSimpleArray::at()");

QStringList s_warnings;

void collectWarning(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtWarningMsg)
        s_warnings.append(message);
}

// The warnings that call issues.
QStringList warningsOf(const std::function<void()>& call)
{
    s_warnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler(collectWarning);
    call();
    qInstallMessageHandler(previous);
    return s_warnings;
}

QString thrownBy(const std::function<void()>& call)
{
    try {
        call();
    } catch (const QString& message) {
        return message;
    }
    return QStringLiteral("(nothing thrown)");
}

} // namespace

TEST(HxTSimpleArrayTest, GrowsByWholeBlocksKeepingContentsAndReusesStorage)
{
    HxTSimpleArray<double> array(16);
    EXPECT_TRUE(array.append(0.25));
    EXPECT_EQ(array.capacity(), 16);
    for (int i = 1; i < 16; ++i)
        array.append(i + 0.25);
    EXPECT_EQ(array.capacity(), 16);
    array.append(16.25);
    EXPECT_EQ(array.capacity(), 32);
    ASSERT_EQ(array.count(), 17);
    for (int i = 0; i < 17; ++i)
        EXPECT_EQ(array.at(i), i + 0.25) << "index " << i;

    array.reset();
    EXPECT_EQ(array.capacity(), 32);
    array.append(42.0);
    EXPECT_EQ(array.at(0), 42.0);
    EXPECT_EQ(array.capacity(), 32);
    array.grow(4, false);
    EXPECT_EQ(array.capacity(), 36);
    EXPECT_EQ(array.count(), 0);
}

TEST(HxTSimpleArrayTest, BadBlockSizeOrIndexWarnsAndCarriesOn)
{
    for (int blockSize : {0, -3}) {
        std::unique_ptr<HxTSimpleArray<int>> array;
        EXPECT_EQ(warningsOf([&] { array = std::make_unique<HxTSimpleArray<int>>(blockSize); }),
                  QStringList{QStringLiteral(
                      "Invalid block grow size specified in HxTSimpleArray::HxTSimpleArray()")});
        array->append(7);
        EXPECT_EQ(array->capacity(), 1);
        array->append(8);
        EXPECT_EQ(array->capacity(), 2);

        int values[3] = {};
        EXPECT_EQ(warningsOf(
                      [&] { values[0] = array->at(1), values[1] = array->at(-1), values[2] = array->at(2); }),
                  (QStringList{kIndexMessage, kIndexMessage}));
        EXPECT_EQ(values[0], 8);
        EXPECT_EQ(values[1], 7);
        EXPECT_EQ(values[2], 7);
    }
}

TEST(HxTSimpleArrayTest, EmptyIndexAndImpossibleGrowthThrow)
{
    HxTSimpleArray<double> array(16);
    EXPECT_EQ(thrownBy([&] { array.at(0); }), kIndexMessage);
    // Storage left over from earlier appends does not make it indexable.
    array.append(3.0);
    array.reset();
    EXPECT_EQ(thrownBy([&] { array.at(-1); }), kIndexMessage);

    array.append(3.0);
    EXPECT_EQ(thrownBy([&] { array.grow(INT_MAX, true); }), QStringLiteral("Out of Memory"));
    EXPECT_EQ(array.capacity(), 16);
    EXPECT_EQ(array.at(0), 3.0);
}
