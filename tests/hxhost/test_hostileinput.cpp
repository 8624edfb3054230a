#include "../model/modeltestsupport.h"
#include "hxhosttest.h"

#include "hxfigureposer.h"
#include "hxhostwindow.h"
#include "hxmediaaudioclip.h"
#include "hxscenepane.h"
#include "hxviewport.h"

#include "hxcore/hxbone.h"
#include "hxcore/hxfloatproperty.h"
#include "hxcore/hxpanemgr.h"
#include "hxcore/hxscene.h"
#include "hxcore/hxskeleton.h"

#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QTreeWidget>
#include <QtEndian>
#include <limits>

namespace {

// A WAV header for mono 8-bit PCM at the given rate, claiming dataBytes of
// sound, followed by the bytes actually present.
QByteArray wav(quint32 rate, quint32 dataBytes, qsizetype present)
{
    QByteArray header("RIFF....WAVEfmt \x10\0\0\0\1\0\1\0........\1\0\x08\0data....", 44);
    qToLittleEndian<quint32>(36 + dataBytes, header.data() + 4);
    qToLittleEndian<quint32>(rate, header.data() + 24);
    qToLittleEndian<quint32>(rate, header.data() + 28);
    qToLittleEndian<quint32>(dataBytes, header.data() + 40);
    return header + QByteArray(present, '\x80');
}

// A figure whose bones form one chain, each bone a unit long above the last.
HxSkeleton* addChain(int count)
{
    QStringList names;
    for (int i = 0; i < count; ++i)
        names << QStringLiteral("b%1").arg(i);
    HxSkeleton* figure = addFigure(QStringLiteral("Snake"), names);
    for (int i = 0; i < count; ++i)
        figure->getBone(i)->setRestGeometry(HxVec3(0.0f, float(i), 0.0f), HxVec3(0.0f, float(i + 1), 0.0f));
    return figure;
}

} // namespace

using HostileInputTest = HxHostTest;

TEST_F(HostileInputTest, WavHeadersAreCheckedAgainstTheFile)
{
    QString error;
    HxMediaAudioClip::WavInfo info;
    const auto read = [&](const QByteArray& bytes) {
        error.clear();
        return HxMediaAudioClip::readWavInfo(writeFile(m_scratch, QStringLiteral("s.wav"), bytes), info,
                                             &error);
    };
    EXPECT_TRUE(read(wav(8000, 800, 800))) << error.toStdString();
    EXPECT_EQ(info.frames, 800);

    // A header and nothing else: no frames, no clip.
    EXPECT_FALSE(read(wav(8000, 0, 0)));
    EXPECT_TRUE(error.endsWith(QLatin1String("the file holds no sound (its data chunk is empty)")))
        << error.toStdString();
    // A header that promises 4 GB.
    EXPECT_FALSE(read(wav(8000, 0xFFFFFFF0u, 100)));
    EXPECT_TRUE(error.endsWith(
        QLatin1String("the header claims 4294967280 bytes of sound but the file holds only 100")))
        << error.toStdString();
    // A format chunk or another chunk running past the end of the file.
    QByteArray longFormat = wav(8000, 10, 10);
    qToLittleEndian<quint32>(0x7FFFFFF0u, longFormat.data() + 16);
    EXPECT_FALSE(read(longFormat));
    EXPECT_TRUE(error.contains(QLatin1String("ends inside its format chunk"))) << error.toStdString();
    QByteArray extra = wav(8000, 10, 10);
    extra.insert(36, QByteArray("LIST\xF0\xFF\xFF\x7F", 8));
    EXPECT_FALSE(read(extra));
    EXPECT_TRUE(error.contains(QLatin1String("ends inside one of its chunks"))) << error.toStdString();

    // 600,000 frames at 1 Hz last 800 hours: more ticks than an int holds.
    std::unique_ptr<HxMediaAudioClip> clip = HxMediaAudioClip::load(
        writeFile(m_scratch, QStringLiteral("long.wav"), wav(1, 600000, 600000)), &error);
    ASSERT_NE(clip, nullptr) << error.toStdString();
    EXPECT_EQ(clip->getEndTime(), std::numeric_limits<HxTime>::max());
}

TEST_F(HostileInputTest, DeepChainsArePosedDrawnPickedAndListed)
{
    HxSkeleton* snake = addChain(30000);
    // Turning the root swings the whole chain: the tail, 30,000 units up,
    // ends up as far along -X. (bench/ reads and draws 100,000.)
    snake->getBone(0)->getZRotControl()->setValue(90.0f);
    HxFigurePoser poser(snake);
    const QList<HxPosedBone> posed = poser.pose();
    ASSERT_EQ(posed.size(), 30000);
    EXPECT_NEAR(posed.last().end.x, -30000.0f, 0.5f);
    EXPECT_NEAR(posed.last().end.y, 0.0f, 1.0f);
    // Asking for the tail first resolves its ancestors without recursion.
    HxFigurePoser tailFirst(snake);
    EXPECT_NEAR(tailFirst.boneFrame(snake->getBone(29999)).transformPoint(HxVec3(0, 30000, 0)).x, -30000.0f,
                1.0f);

    auto* viewport = m_window->findChild<HxViewport*>();
    ASSERT_NE(viewport, nullptr);
    viewport->frameAll();
    EXPECT_FALSE(image(viewport).isNull());
    hxScene->setPrimarySelection(nullptr);
    const QPoint middle(viewport->width() / 2, viewport->height() / 2);
    EXPECT_NE(viewport->nodeAt(middle), nullptr) << "the chain is drawn across the middle of the view";

    // The scene tree lists every bone and filters them.
    auto* tree = m_window->findChild<HxScenePane*>()->findChild<QTreeWidget*>();
    auto* filter = m_window->findChild<HxScenePane*>()->findChild<QLineEdit*>();
    ASSERT_NE(tree, nullptr);
    ASSERT_NE(filter, nullptr);
    filter->setText(QStringLiteral("b29999"));
    int visible = 0;
    for (QTreeWidgetItemIterator it(tree, QTreeWidgetItemIterator::NotHidden); *it; ++it)
        ++visible;
    EXPECT_GE(visible, 2) << "the match and the rows leading to it";
    filter->clear();
    hxScene->clear();
}

TEST_F(HostileInputTest, ScriptTimeoutMustBeAPositiveNumberOfSeconds)
{
    for (const char* bad : {"soon", "0", "-5"}) {
        QProcess host;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        host.setProcessEnvironment(environment);
        host.start(QStringLiteral(HXHOST_EXECUTABLE),
                   {QStringLiteral("--script-timeout"), QString::fromLatin1(bad),
                    QStringLiteral("--screenshot"), m_scratch.filePath(QStringLiteral("x.png"))});
        ASSERT_TRUE(host.waitForFinished(60000));
        EXPECT_EQ(host.exitCode(), 2) << bad;
        EXPECT_TRUE(
            host.readAllStandardError().contains("--script-timeout needs a number of seconds above 0"));
        EXPECT_FALSE(QFile::exists(m_scratch.filePath(QStringLiteral("x.png"))));
    }
}
