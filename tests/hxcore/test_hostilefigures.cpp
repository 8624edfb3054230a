#include "hxapptest.h"

#include "hxcore/hxbone.h"
#include "hxcore/hxfigurereader.h"
#include "hxcore/hxfloatproperty.h"
#include "hxcore/hxnode.h"
#include "hxcore/hxscene.h"
#include "hxcore/hxskeleton.h"

#include <QElapsedTimer>
#include <QFile>
#include <csignal>
#include <cstdio>
#include <sys/stat.h>
#include <thread>

namespace {

// A chain of count bones, each the parent of the next ("b0" is the root).
// With a cycle the root names the last bone as its parent.
QByteArray chain(int count, bool cycle = false)
{
    QByteArray json = R"({"name": "Snake", "bones": [)";
    for (int i = 0; i < count; ++i) {
        json += i ? "," : "";
        json += "{\"name\": \"b" + QByteArray::number(i) + "\", \"parent\": ";
        json += i ? "\"b" + QByteArray::number(i - 1) + "\""
                  : (cycle ? "\"b" + QByteArray::number(count - 1) + "\"" : "null");
        json += R"(, "origin": [0, )" + QByteArray::number(i) + R"(, 0], "end": [0, )" +
                QByteArray::number(i + 1) + ", 0]}";
    }
    return json + "]}";
}

QString readError(const QByteArray& json)
{
    QString error;
    EXPECT_EQ(HxFigureReader::fromJson(json, QStringLiteral("f.json"), &error), nullptr)
        << json.left(200).data();
    return error;
}

} // namespace

using HostileFigureTest = HxAppTest;

TEST_F(HostileFigureTest, OversizedFilesDevicesAndPipesAreRefusedUnread)
{
    QElapsedTimer clock;
    clock.start();
    QString error;
    // A device reports a size of 0 and never ends.
    EXPECT_EQ(HxFigureReader::read(QStringLiteral("/dev/zero"), &error), nullptr);
    EXPECT_EQ(error, QStringLiteral("/dev/zero: the file is too large for a figure (more than 32 MB)"));
    EXPECT_LT(clock.elapsed(), 20000) << "read to the cap, not to the end";

    // A pipe whose writer never stops (until the reader hangs up).
    std::signal(SIGPIPE, SIG_IGN);
    const QByteArray fifo = QFile::encodeName(m_scratch.filePath(QStringLiteral("pipe.json")));
    ASSERT_EQ(mkfifo(fifo.constData(), 0600), 0);
    std::thread writer([&] {
        FILE* out = std::fopen(fifo.constData(), "w");
        const QByteArray block(1 << 16, ' ');
        while (out && std::fwrite(block.constData(), 1, block.size(), out) == size_t(block.size())) {
        }
        if (out)
            std::fclose(out);
    });
    EXPECT_EQ(HxFigureReader::read(QString::fromLocal8Bit(fifo), &error), nullptr);
    writer.join(); // ends when the reader closes its end
    EXPECT_TRUE(error.endsWith(QLatin1String("too large for a figure (more than 32 MB)")))
        << error.toStdString();

    // An ordinary file just over the cap, mostly a hole.
    QFile big(m_scratch.filePath(QStringLiteral("big.json")));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    ASSERT_TRUE(big.resize(HxFigureReader::MaxFileSize + 1));
    big.close();
    EXPECT_EQ(HxFigureReader::addToScene(big.fileName(), hxScene, &error), nullptr);
    EXPECT_TRUE(error.contains(QLatin1String("too large"))) << error.toStdString();
    EXPECT_EQ(hxScene->getNumNodes(), 0);
}

TEST_F(HostileFigureTest, RepeatedKeysAreRefusedWhereverTheyAre)
{
    const QByteArray bone = R"({"name": "hip", "origin": [0, 0, 0], "end": [0, 1, 0]})";
    EXPECT_EQ(readError(R"({"name": "A", "name": "B", "bones": []})"),
              QStringLiteral("f.json: top level: duplicate key \"name\""));
    // Escapes spell the same key.
    EXPECT_EQ(readError(R"({"name": "A", "bones": [], "na\u006de": "B"})"),
              QStringLiteral("f.json: top level: duplicate key \"name\""));
    EXPECT_EQ(readError(R"({"name": "A", "bones": [)" + bone +
                        R"(, {"name": "x", "origin": [0, 0, 0], "end": [0, 1, 0], "end": [1, 1, 1]}]})"),
              QStringLiteral("f.json: bones[1]: duplicate key \"end\""));
    EXPECT_EQ(readError(R"({"name": "A", "bones": [[1, "two", {"a": [3]}], )" + bone +
                        R"(, {"name": "y", "object": {"morphs": [{"name": "m", "min": 0, "min": 1}]}}]})"),
              QStringLiteral("f.json: bones[2].object.morphs[0]: duplicate key \"min\""));
    // Keys may repeat across objects, keys may appear as values, and
    // escaped quotes do not end a string.
    QString error;
    auto figure = HxFigureReader::fromJson(
        R"({"name": "A \"quoted\" name", "description": "name", "bones": [)" + bone +
            R"(, {"name": "name", "parent": "hip", "origin": [0, 1, 0], "end": [0, 2, 0]}]})",
        QStringLiteral("f.json"), &error);
    ASSERT_NE(figure, nullptr) << error.toStdString();
    EXPECT_EQ(figure->getNumBones(), 2);
}

TEST_F(HostileFigureTest, MessagesStayShortWhateverTheFileHolds)
{
    // A cycle through 100,000 bones is named by its ends.
    const QString cycle = readError(chain(100000, true));
    EXPECT_LT(cycle.size(), 1000);
    EXPECT_TRUE(
        cycle.startsWith(QLatin1String("f.json: bones[0].parent: cycle of parents: b0 -> b99999 -> b99998")))
        << cycle.toStdString();
    EXPECT_TRUE(cycle.contains(QLatin1String("(99989 more bones)"))) << cycle.toStdString();
    EXPECT_TRUE(cycle.endsWith(QLatin1String("b2 -> b1 -> b0"))) << cycle.toStdString();

    // A name of a megabyte.
    const QByteArray huge(1 << 20, 'n');
    const QString unknown = readError(R"({"name": "A", "bones": [{"name": "a", "parent": ")" + huge +
                                      R"(", "origin": [0, 0, 0], "end": [0, 1, 0]}]})");
    EXPECT_LT(unknown.size(), 1000);
    EXPECT_TRUE(unknown.startsWith(QLatin1String("f.json: bones[0].parent: unknown bone \"nnn")))
        << unknown.left(80).toStdString();
}

TEST_F(HostileFigureTest, DeepChainsAndManyPropertiesReadWhole)
{
    QString error;
    auto snake = HxFigureReader::fromJson(chain(100000), QStringLiteral("snake.json"), &error);
    ASSERT_NE(snake, nullptr) << error.toStdString();
    ASSERT_EQ(snake->getNumBones(), 100000);
    HxBone* tail = snake->getBone(99999);
    EXPECT_EQ(tail->getParentBone(), snake->getBone(99998));
    // The world matrix walks 100,000 parents without recursion.
    snake->getBone(0)->getXPosControl()->setValue(5.0f);
    EXPECT_FLOAT_EQ(tail->getWorldMatrix().translationPart().x, 5.0f);

    QByteArray rig = R"({"name": "Rig", "bones": [], "properties": [)";
    for (int i = 0; i < 100000; ++i)
        rig += (i ? ",{\"name\": \"p" : "{\"name\": \"p") + QByteArray::number(i) + "\"}";
    auto many = HxFigureReader::fromJson(rig + "]}", QStringLiteral("rig.json"), &error);
    ASSERT_NE(many, nullptr) << error.toStdString();
    EXPECT_EQ(many->getNumProperties(), HxNode::NumTransformControls + 100000);
    // The set that replaced the search still finds a repeat at the end.
    EXPECT_EQ(readError(rig + R"(, {"name": "p7"}]})"),
              QStringLiteral("f.json: properties[100000].name: \"Rig\" already has a property named \"p7\""));
}
