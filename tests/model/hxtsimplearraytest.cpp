#include "model/hxtsimplearray.h"

#include <QStringList>
#include <climits>
#include <functional>
#include <gtest/gtest.h>

namespace {

const QString kIndexMessage = QStringLiteral("Illegal array index in HxTSimpleArray::at()");
QStringList s_warnings;

// The warnings a call issues, or what it throws as the last entry.
QStringList outputOf(const std::function<void()>& call)
{
    s_warnings.clear();
    const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
            if (type == QtWarningMsg)
                s_warnings.append(message);
        });
    try {
        call();
    } catch (const QString& message) {
        s_warnings.append(QStringLiteral("thrown: ") + message);
    }
    qInstallMessageHandler(previous);
    return s_warnings;
}

TEST(HxTSimpleArrayTest, GrowsByWholeBlocksKeepingContents)
{
    HxTSimpleArray<double> array(16);
    for (int i = 0; i < 17; ++i) {
        EXPECT_TRUE(array.append(i + 0.25));
        EXPECT_EQ(array.capacity(), i < 16 ? 16 : 32) << i;
    }
    for (int i = 0; i < 17; ++i)
        EXPECT_EQ(array.at(i), i + 0.25);
    EXPECT_EQ(outputOf([&] { array.grow(INT_MAX, true); }), QStringList{"thrown: Out of Memory"});
    EXPECT_EQ(array.at(16), 16.25) << "contents survive a failed growth";
    array.grow(3, false);
    EXPECT_EQ(array.capacity(), 35);
    EXPECT_EQ(array.count(), 17) << "growing without the contents keeps their number";
    EXPECT_EQ(array.at(16), 0.0);
}

TEST(HxTSimpleArrayTest, BadBlockSizeOrIndexWarnsAndCarriesOnButAnEmptyArrayThrows)
{
    std::unique_ptr<HxTSimpleArray<int>> array;
    EXPECT_EQ(outputOf([&] { array = std::make_unique<HxTSimpleArray<int>>(0); }),
              QStringList{"Invalid block grow size specified in HxTSimpleArray::HxTSimpleArray()"});
    EXPECT_EQ(outputOf([&] { array->at(0); }), QStringList{"thrown: " + kIndexMessage});
    array->append(7);
    EXPECT_EQ(array->capacity(), 1);
    array->append(8);
    EXPECT_EQ(array->capacity(), 2);
    int values[2] = {};
    EXPECT_EQ(outputOf([&] { values[0] = array->at(-1), values[1] = array->at(2); }),
              (QStringList{kIndexMessage, kIndexMessage}));
    EXPECT_EQ(values[0], 7);
    EXPECT_EQ(values[1], 7);
    array->reset();
    EXPECT_EQ(outputOf([&] { array->at(0); }), QStringList{"thrown: " + kIndexMessage})
        << "leftover storage is not indexable";
}

} // namespace
