// A fixed, scripted Record drag on the sample figure whose every recorded key
// is compared with the keys the first version of the blend recorded (stored
// in data/pinned-drag.txt): faster blending must not change what lands on the
// timeline by more than one float step.
//
// HX_WRITE_PINNED_DRAG=<file> writes the keys this build records instead of
// comparing, to pin a deliberate change of results.

#include "hxlayertest.h"

#include "model/hxposecollection.h"

#include "hxcore/hxfigurereader.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTextStream>
#include <bit>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

struct PinnedKey
{
    QString channel;
    int time = 0;
    float value = 0.0f;
};

// Distance in representable floats; values of opposite sign count through zero.
std::int64_t ulpDistance(float a, float b)
{
    auto ordered = [](float f) {
        const std::int32_t bits = std::bit_cast<std::int32_t>(f);
        return bits < 0 ? std::int64_t(INT32_MIN) - bits : std::int64_t(bits);
    };
    return std::llabs(ordered(a) - ordered(b));
}

class PinnedDragTest : public HxLayerTest
{
protected:
    // Every key of every transform control and animatable property of the figure's pose nodes, in
    // pose-node order, then the cursor's keys.
    std::vector<PinnedKey> recordedKeys(const QList<HxNode*>& nodes) const
    {
        std::vector<PinnedKey> keys;
        auto add = [&](const QString& channel, const HxFloatProperty* property) {
            for (const HxFloatKey& key : property->getKeys())
                keys.push_back({channel, key.time, key.value});
        };
        for (HxNode* node : nodes) {
            const QString name = node->objectName();
            for (int c = 0; c < HxNode::NumTransformControls; ++c)
                add(name + QLatin1Char('/') + QString::number(c), node->getTransformControl(c));
            QList<HxFloatProperty*> properties;
            collectAnimatableProperties(properties, node);
            for (const HxFloatProperty* property : std::as_const(properties))
                add(name + QLatin1Char('/') + property->getLabel(), property);
        }
        for (const auto& [time, x, y] : cursorKeys()) {
            keys.push_back({QStringLiteral("cursor/x"), time, x});
            keys.push_back({QStringLiteral("cursor/y"), time, y});
        }
        return keys;
    }

    static std::vector<PinnedKey> readPinned(const QString& path)
    {
        std::vector<PinnedKey> keys;
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
            return keys;
        QTextStream in(&file);
        while (!in.atEnd()) {
            const QStringList fields = in.readLine().split(QLatin1Char('\t'));
            if (fields.size() != 3)
                continue; // a line damaged by hand shows up as a count mismatch
            keys.push_back({fields[0], fields[1].toInt(),
                            std::bit_cast<float>(std::uint32_t(fields[2].toUInt(nullptr, 16)))});
        }
        return keys;
    }

    static void writePinned(const QString& path, const std::vector<PinnedKey>& keys)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Text | QIODevice::Truncate));
        QTextStream out(&file);
        for (const PinnedKey& key : keys)
            out << key.channel << '\t' << key.time << '\t'
                << QString::number(std::bit_cast<std::uint32_t>(key.value), 16) << '\n';
    }
};

TEST_F(PinnedDragTest, RecordedKeysMatchThePinnedDragWithinOneFloatStep)
{
    QString error;
    HxSkeleton* figure = HxFigureReader::addToScene(
        sourcePath(QStringLiteral("samples/figures/mannequin.json")), nullptr, &error);
    ASSERT_NE(figure, nullptr) << error.toStdString();
    QList<HxNode*> nodes;
    collectPoseNodes(nodes, figure);
    m_layer->setNode(figure);

    // Seven poses with every kind of channel varying; the fourth shares the second's integer cell
    // and so is left out of the blend.
    QRandomGenerator random(1357);
    const std::pair<float, float> dots[] = {{0, 0},     {180, 20}, {40, 170}, {180.7f, 20.4f},
                                            {210, 190}, {95, 90},  {-60, 120}};
    for (const auto& [x, y] : dots) {
        for (HxNode* node : std::as_const(nodes)) {
            for (int c = 0; c < 3; ++c)
                node->getTransformControl(c)->setValue(float(random.bounded(10.0) - 5.0));
            for (int c = 3; c < 6; ++c)
                node->getTransformControl(c)->setValue(float(random.bounded(120.0) - 60.0));
            for (int c = 6; c < 9; ++c)
                node->getTransformControl(c)->setValue(float(0.8 + random.bounded(0.4)));
            node->getScaleControl()->setValue(float(0.9 + random.bounded(0.2)));
            QList<HxFloatProperty*> properties;
            collectAnimatableProperties(properties, node);
            for (HxFloatProperty* property : std::as_const(properties))
                property->setValue(float(random.bounded(1.0)));
        }
        m_layer->addPose(0, 0)->setPosition(x, y);
    }

    // A drag over and beyond the dots, at fractional positions, with uneven ticks.
    m_pane->setMode(HxKinetorPane::RecordMode);
    hxScene->setTime(0);
    press(0, 0);
    for (int i = 1; i <= 24; ++i)
        tick(20 + 13 * (i % 4), -80.0f + 13.3f * float(i), 200.0f - 9.7f * float(i));
    release();

    // Moving a dot and dropping two more makes the remaining dots one line; a second drag later on.
    m_layer->getPoses()[1]->setPosition(100, 100);
    m_layer->removePose(m_layer->getPoses()[6]);
    m_layer->removePose(m_layer->getPoses()[4]);
    m_layer->removePose(m_layer->getPoses()[2]);
    hxScene->setTime(2400);
    press(10, 10);
    for (int i = 1; i <= 12; ++i)
        tick(40, 10.0f + 17.1f * float(i), 30.0f + 9.0f * float(i));
    release();

    const std::vector<PinnedKey> keys = recordedKeys(nodes);
    ASSERT_GT(keys.size(), 2000u);
    if (const char* target = std::getenv("HX_WRITE_PINNED_DRAG")) {
        writePinned(QString::fromLocal8Bit(target), keys);
        GTEST_SKIP() << "wrote " << keys.size() << " keys to " << target;
    }

    const std::vector<PinnedKey> pinned =
        readPinned(sourcePath(QStringLiteral("tests/layer/data/pinned-drag.txt")));
    ASSERT_EQ(keys.size(), pinned.size());
    int mismatches = 0;
    for (std::size_t i = 0; i < keys.size() && mismatches < 10; ++i) {
        const PinnedKey& got = keys[i];
        const PinnedKey& want = pinned[i];
        const bool same =
            got.channel == want.channel && got.time == want.time && ulpDistance(got.value, want.value) <= 1;
        if (!same)
            ++mismatches;
        EXPECT_TRUE(same) << got.channel.toStdString() << " @" << got.time << " = " << got.value
                          << ", pinned " << want.channel.toStdString() << " @" << want.time << " = "
                          << want.value;
    }
}

} // namespace
