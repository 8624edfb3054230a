#include "hxhosttest.h"

#include "hxfigureposer.h"
#include "hxhostwindow.h"
#include "hxparameterspane.h"
#include "hxplayback.h"
#include "hxpropertyslider.h"
#include "hxscenepane.h"
#include "hxtimelinepane.h"
#include "hxtimeruler.h"
#include "hxviewport.h"

#include "hxcore/hxaudioclip.h"
#include "hxcore/hxbone.h"
#include "hxcore/hxfloatproperty.h"
#include "hxcore/hxscene.h"
#include "hxcore/hxskeleton.h"
#include "hxcore/hxundostack.h"
#include "hxcore/hxviewportmgr.h"

#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>
#include <QUndoStack>

namespace {
constexpr int kStep = 160;

class RecordingClip : public HxAudioClip
{
public:
    explicit RecordingClip(QStringList* log) : m_log(log) {}
    HxTime getEndTime() const override { return 4800 * 10; }
    void seek(HxTime time) override { m_log->append(QStringLiteral("seek %1").arg(time)); }
    int getRate() const override { return 44100; }
    void setRate(double rate) override { m_log->append(QStringLiteral("rate %1").arg(rate)); }
    void play() override { m_log->append(QStringLiteral("play")); }
    void stop() override { m_log->append(QStringLiteral("stop")); }

private:
    QStringList* m_log;
};
} // namespace

class WidgetTest : public HxHostTest
{
protected:
    QTreeWidgetItem* item(HxNode* node) { return m_window->scenePane()->itemFor(node); }
    HxPropertySlider* slider(const char* label)
    {
        return m_window->parametersPane()->findSlider(QString::fromLatin1(label));
    }
    QStringList labels(const char* group) const
    {
        QStringList result;
        QGroupBox* box = m_window->parametersPane()->findGroup(QString::fromLatin1(group));
        for (HxPropertySlider* slider : m_window->parametersPane()->sliders())
            if (box && box->isAncestorOf(slider))
                result.append(slider->property()->getLabel());
        return result;
    }
    HxTimelinePane* timeline() const { return m_window->timelinePane(); }
    void clickRuler(int x) { QTest::mouseClick(timeline()->ruler(), Qt::LeftButton, {}, QPoint(x, 10)); }
    int frame() const { return hxScene->getTime() / kStep; }
    HxViewport* viewport() const { return m_window->viewport(); }
    QPoint pixelOf(const HxVec3& world) const { return viewport()->camera().project(world).point.toPoint(); }
    QImage picture() const { return image(viewport()); }
    ::testing::AssertionResult posedAt(const char* name, const HxVec3& start, const HxVec3& end) const
    {
        for (const HxPosedBone& p : HxFigurePoser(m_figure).pose())
            if (p.bone->objectName() == QLatin1String(name) && p.start.equals(start, 1e-3f) &&
                p.end.equals(end, 1e-3f))
                return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << name << " is drawn elsewhere";
    }

    QStringList m_audio; // outlives the clip, which the scene deletes after the window is gone
};

TEST_F(WidgetTest, TheSceneTreeMirrorsTheFigureAndTheSelectionBothWays)
{
    QTreeWidget* tree = m_window->scenePane()->tree();
    ASSERT_EQ(tree->topLevelItemCount(), 1);
    EXPECT_EQ(item(bone("chest"))->parent(), item(bone("hip")));
    EXPECT_EQ(item(bone("forearm"))->parent(), item(bone("arm")));
    EXPECT_EQ(item(bone("sleeve"))->parent(), item(m_figure))
        << "a bone without a parent hangs off the figure";
    auto* filter = m_window->scenePane()->findChild<QLineEdit*>();
    ASSERT_NE(filter, nullptr);
    filter->setText(QStringLiteral("fore"));
    EXPECT_FALSE(item(bone("arm"))->isHidden()) << "the path to a match stays visible";
    EXPECT_TRUE(item(bone("sleeve"))->isHidden());
    filter->clear();

    for (HxNode* node : {static_cast<HxNode*>(bone("arm")), static_cast<HxNode*>(m_figure)}) {
        tree->scrollToItem(item(node));
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(item(node)).center());
        EXPECT_EQ(hxScene->getPrimarySelection(), node);
    }
    hxScene->setPrimarySelection(bone("forearm"));
    EXPECT_EQ(tree->selectedItems(), QList<QTreeWidgetItem*>{item(bone("forearm"))});
    hxScene->setPrimarySelection(nullptr);
    EXPECT_TRUE(tree->selectedItems().isEmpty());
    hxScene->setPrimarySelection(bone("chest"));
    hxScene->removeNode(m_figure);
    EXPECT_EQ(tree->topLevelItemCount(), 0);
    EXPECT_EQ(hxScene->getPrimarySelection(), nullptr) << "no stale selection is left behind";
}

TEST_F(WidgetTest, ParametersShowTheSelectedNodesPropertiesInGroups)
{
    hxScene->setPrimarySelection(m_figure);
    EXPECT_EQ(labels("Transforms"),
              (QStringList{"X Translate", "Y Translate", "Z Translate", "X Rotate", "Y Rotate", "Z Rotate",
                           "X Scale", "Y Scale", "Z Scale", "Scale"}));
    EXPECT_EQ(labels("Morphs"), (QStringList{"Smile", "Jaw Side"}));
    EXPECT_EQ(labels("Other"), QStringList{"Breathing"}) << "hidden properties stay out";
    hxScene->setPrimarySelection(bone("arm"));
    EXPECT_EQ(m_window->parametersPane()->findGroup(QStringLiteral("Morphs")), nullptr)
        << "a bone without morphs has no such group";
    ASSERT_NE(slider("X Rotate"), nullptr);
    EXPECT_EQ(slider("X Rotate")->property(), bone("arm")->getXRotControl());
    hxScene->removeNode(m_figure);
    EXPECT_TRUE(m_window->parametersPane()->sliders().isEmpty());
}

TEST_F(WidgetTest, ASliderDragOrATypedValueIsOneUndoStep)
{
    hxScene->setPrimarySelection(bone("arm"));
    HxPropertySlider* editor = slider("X Rotate");
    ASSERT_NE(editor, nullptr);
    QSlider* handle = editor->slider();
    HxFloatProperty* property = bone("arm")->getXRotControl();
    QUndoStack* stack = hxUndoStack->undoStack();

    const QPoint start = handle->rect().center(); // a rotation at rest sits mid-range, under the handle
    const int restPosition = handle->value();
    QTest::mousePress(handle, Qt::LeftButton, {}, start);
    EXPECT_TRUE(m_window->getViewportMgr()->isManipulating()) << "viewports draw light during the drag";
    QTest::mouseMove(handle, start + QPoint(20, 0));
    const float midway = property->getValue();
    QTest::mouseMove(handle, start + QPoint(45, 0));
    QTest::mouseRelease(handle, Qt::LeftButton, {}, start + QPoint(45, 0));
    EXPECT_FALSE(m_window->getViewportMgr()->isManipulating());
    const float dragged = property->getValue();
    EXPECT_GT(midway, 0.0f);
    EXPECT_GT(dragged, midway) << "the value follows the drag";
    EXPECT_EQ(stack->count(), 1) << "every move of the drag is in one step";
    EXPECT_EQ(stack->text(0), QStringLiteral("Change X Rotate"));
    EXPECT_NEAR(editor->spinBox()->value(), dragged, 0.05);
    stack->undo();
    EXPECT_EQ(property->getValue(), 0.0f);
    // Editors follow their property once the event loop runs.
    QCoreApplication::processEvents();
    EXPECT_EQ(handle->value(), restPosition);
    EXPECT_DOUBLE_EQ(editor->spinBox()->value(), 0.0) << "the editor shows the undone value";
    stack->redo();
    EXPECT_FLOAT_EQ(property->getValue(), dragged);

    editor->spinBox()->selectAll();
    QTest::keyClicks(editor->spinBox(), QStringLiteral("-33.5"));
    QTest::keyClick(editor->spinBox(), Qt::Key_Return);
    EXPECT_FLOAT_EQ(property->getValue(), -33.5f);
    EXPECT_LT(handle->value(), restPosition) << "the slider moves with the typed value";
    EXPECT_EQ(stack->count(), 2);
    property->setValue(12.0f);
    property->setValue(-7.0f);
    property->setValue(12.0f);
    QCoreApplication::processEvents();
    EXPECT_DOUBLE_EQ(editor->spinBox()->value(), 12.0) << "a change from elsewhere shows";
    EXPECT_EQ(stack->count(), 3) << "the changes from elsewhere are one step; showing them adds none";
}

TEST_F(WidgetTest, ScrubbingSetsTheTimeAndTheFigureAndEditorsFollowTheKeys)
{
    HxFloatProperty* turn = bone("arm")->getZRotControl();
    turn->setValue(0, 0.0f);
    turn->setValue(60 * kStep, 90.0f);
    hxScene->setPrimarySelection(bone("arm"));
    HxPropertySlider* keyed = slider("Z Rotate");
    ASSERT_TRUE(keyed && slider("X Rotate"));
    EXPECT_EQ(slider("X Rotate")->keyState(), 0);
    EXPECT_EQ(keyed->keyState(), 2) << "a key sits at frame 0";
    const QString onKey = keyed->keyMark()->text();
    EXPECT_FALSE(onKey.isEmpty());
    HxTimeRuler* ruler = timeline()->ruler();
    EXPECT_EQ(ruler->keyFrames(), (QList<int>{0, 60})) << "the selected node's keys are ticks";

    QTest::mousePress(ruler, Qt::LeftButton, {}, QPoint(ruler->xForFrame(10), 10));
    EXPECT_EQ(frame(), 10);
    QTest::mouseMove(ruler, QPoint(ruler->xForFrame(30), 10));
    QTest::mouseRelease(ruler, Qt::LeftButton, {}, QPoint(ruler->xForFrame(30), 10));
    EXPECT_EQ(frame(), 30);
    EXPECT_EQ(timeline()->frameBox()->value(), 30);
    // Halfway between the keys the arm is turned 45 degrees.
    EXPECT_FLOAT_EQ(turn->getValue(), 45.0f);
    EXPECT_TRUE(posedAt("arm", {0, 140, 0}, {40 * 0.70710678f, 140 + 40 * 0.70710678f, 0}));
    EXPECT_EQ(keyed->keyState(), 1);
    EXPECT_NE(keyed->keyMark()->text(), onKey);
    EXPECT_DOUBLE_EQ(keyed->spinBox()->value(), 45.0) << "the editor shows the value at the new time";

    timeline()->frameBox()->setValue(42);
    EXPECT_EQ(frame(), 42);
    clickRuler(ruler->width() + 50);
    EXPECT_EQ(frame(), 120) << "scrubbing stays within the animation range";
    clickRuler(-50);
    EXPECT_EQ(frame(), 0);
    turn->deleteKeys(HxTimeRange(0, 100000));
    QCoreApplication::processEvents();
    EXPECT_TRUE(keyed->keyMark()->text().isEmpty());
    EXPECT_TRUE(ruler->keyFrames().isEmpty());
}

TEST_F(WidgetTest, PlaybackRunsInRealTimeAndStopsAtTheEndOfThePlayRange)
{
    hxScene->setAudio(new RecordingClip(&m_audio));
    hxScene->setAudioStartFrame(2);
    timeline()->playStartBox()->setValue(10);
    timeline()->playEndBox()->setValue(40);
    ASSERT_EQ(hxScene->getPlayRange(), HxTimeRange(10 * kStep, 40 * kStep))
        << "the range boxes set the scene's";
    hxScene->setAnimRange(HxTimeRange(5 * kStep, 95 * kStep));
    EXPECT_EQ(timeline()->animStartBox()->value(), 5);
    EXPECT_EQ(timeline()->animEndBox()->value(), 95);
    HxPlayback* playback = timeline()->playback();
    QSignalSpy playing(playback, &HxPlayback::playingChanged);

    QTest::mouseClick(timeline()->playButton(), Qt::LeftButton);
    ASSERT_TRUE(playback->isPlaying());
    EXPECT_EQ(frame(), 10) << "playback starts at the play range when the time is outside it";
    EXPECT_EQ(m_audio, (QStringList{QStringLiteral("seek %1").arg(8 * kStep), "play"}))
        << "the sound starts at the same moment, offset by its start frame";
    advance(100); // three frames at 30 fps
    EXPECT_EQ(frame(), 13);
    advance(17); // 3.5 frames: the time stays on frame 13 exactly
    EXPECT_EQ(hxScene->getTime(), 13 * kStep);
    advance(500);
    EXPECT_EQ(hxScene->getTime(), 28 * kStep);

    advance(5000);
    EXPECT_EQ(frame(), 40) << "playback ends on the last frame of the range";
    EXPECT_FALSE(playback->isPlaying());
    EXPECT_EQ(m_audio.last(), QStringLiteral("stop"));
    EXPECT_EQ(playing.count(), 2);
    advance(1000);
    EXPECT_EQ(frame(), 40) << "a stopped playback ignores stray ticks";

    // Playing again from the end starts over, at the scene's frame rate.
    hxScene->setTimeStep(200); // 24 fps
    playback->play();
    advance(500);
    EXPECT_EQ(hxScene->getTime(), 10 * kStep + 12 * 200);
    clickRuler(timeline()->ruler()->xForFrame(5));
    EXPECT_FALSE(playback->isPlaying()) << "scrubbing stops playback";
    EXPECT_EQ(hxScene->getTime(), 5 * 200);
}

TEST_F(WidgetTest, BonesArePosedThroughTheHierarchyAndFollowersCopyTheirBone)
{
    for (const HxPosedBone& p : HxFigurePoser(m_figure).pose())
        EXPECT_TRUE(posedAt(p.bone->objectName().toLatin1(), p.bone->getOrigin(), p.bone->getEndPoint()));
    // +90 degrees about Z turns X towards Y, about the arm's origin; bones above stay put.
    bone("arm")->getZRotControl()->setValue(90.0f);
    EXPECT_TRUE(posedAt("forearm", {0, 180, 0}, {0, 210, 0}));
    EXPECT_TRUE(posedAt("chest", {0, 110, 0}, {0, 140, 0}));
    // A turn higher up is added on top: about Y it leaves the upright arm alone and turns a level one to -Z.
    bone("chest")->getYRotControl()->setValue(90.0f);
    EXPECT_TRUE(posedAt("forearm", {0, 180, 0}, {0, 210, 0}));
    bone("arm")->getZRotControl()->setValue(0.0f);
    EXPECT_TRUE(posedAt("forearm", {0, 140, -40}, {0, 140, -70}));
    // Scale stretches a bone and pushes its children out; a translation higher up carries everything.
    bone("chest")->getYRotControl()->setValue(0.0f);
    bone("arm")->getXScaleControl()->setValue(2.0f);
    bone("hip")->getYPosControl()->setValue(5.0f);
    EXPECT_TRUE(posedAt("forearm", {80, 145, 0}, {140, 145, 0}));
    bone("hip")->getYPosControl()->setValue(0.0f);
    // The parentless sleeve ignores its own controls and follows the arm through the chest's turn.
    bone("sleeve")->getZRotControl()->setValue(45.0f);
    bone("chest")->getZRotControl()->setValue(90.0f);
    EXPECT_TRUE(posedAt("arm", {-30, 110, 0}, {-30, 190, 0}));
    EXPECT_TRUE(posedAt("sleeve", {-30, 110, 0}, {-30, 190, 0})) << "scaled with the arm, too";
}

TEST_F(WidgetTest, TheViewportPictureFollowsRotationSelectionAndManipulation)
{
    const QImage rest = picture();
    EXPECT_GT(rest.pixelColor(pixelOf(HxVec3(0, 125, 0))).lightness(), 120) << "the chest is drawn light";
    EXPECT_LT(rest.pixelColor(QPoint(rest.width() - 20, 40)).lightness(), 110) << "on a dark background";
    setUndoable(bone("arm")->getZRotControl(), 60.0f);
    EXPECT_NE(picture(), rest);
    hxUndoStack->undo();
    EXPECT_EQ(picture(), rest);

    hxScene->setPrimarySelection(bone("chest"));
    const QImage selected = picture();
    const QColor chest = selected.pixelColor(pixelOf(HxVec3(0, 125, 0)));
    EXPECT_GT(chest.red(), chest.blue() + 60) << "the selected bone is drawn in the highlight colour";
    m_window->getViewportMgr()->startManipulation();
    EXPECT_TRUE(viewport()->isDrawingLight());
    EXPECT_NE(picture(), selected);
    m_window->getViewportMgr()->endManipulation();
    EXPECT_EQ(picture(), selected);
}

TEST_F(WidgetTest, ClickingInTheViewportPicksABoneAndDraggingMovesTheCamera)
{
    // The figure's own arm wins over the sleeve drawn over it.
    QTest::mouseClick(viewport(), Qt::LeftButton, {}, pixelOf(HxVec3(20, 140, 0)));
    EXPECT_EQ(hxScene->getPrimarySelection(), bone("arm"));
    QTest::mouseClick(viewport(), Qt::LeftButton, {}, pixelOf(HxVec3(0, 102, 0)));
    EXPECT_EQ(hxScene->getPrimarySelection(), bone("hip"));
    QTest::mouseClick(viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(hxScene->getPrimarySelection(), nullptr);
    bone("forearm")->setHidden(true);
    EXPECT_EQ(viewport()->nodeAt(pixelOf(HxVec3(60, 140, 0))), nullptr) << "hidden bones cannot be picked";

    const float yaw = viewport()->camera().yaw();
    const QPoint start = pixelOf(HxVec3(20, 140, 0));
    QTest::mousePress(viewport(), Qt::LeftButton, {}, start);
    QTest::mouseMove(viewport(), start + QPoint(40, 0));
    QTest::mouseRelease(viewport(), Qt::LeftButton, {}, start + QPoint(40, 0));
    EXPECT_NE(viewport()->camera().yaw(), yaw);
    EXPECT_EQ(hxScene->getPrimarySelection(), nullptr) << "a drag is not a click";

    const float distance = viewport()->camera().distance();
    QWheelEvent wheel(QPointF(160, 120), viewport()->mapToGlobal(QPointF(160, 120)), QPoint(), QPoint(0, 120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(viewport(), &wheel);
    EXPECT_LT(viewport()->camera().distance(), distance) << "wheel away zooms in";
    const HxVec3 target = viewport()->camera().target();
    QTest::mousePress(viewport(), Qt::MiddleButton, {}, QPoint(100, 100));
    QTest::mouseMove(viewport(), QPoint(150, 100));
    QTest::mouseRelease(viewport(), Qt::MiddleButton, {}, QPoint(150, 100));
    EXPECT_FALSE(viewport()->camera().target().equals(target, 1e-3f));
}
