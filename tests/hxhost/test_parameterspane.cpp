#include "hxhosttest.h"

#include "hxparameterspane.h"
#include "hxpropertyslider.h"

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
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>
#include <QUndoStack>

namespace {
QStringList labels(const QList<HxPropertySlider*>& sliders, QGroupBox* group)
{
    QStringList result;
    for (HxPropertySlider* slider : sliders)
        if (group && group->isAncestorOf(slider))
            result.append(slider->property()->getLabel());
    return result;
}

QPoint handleCentre(QSlider* slider)
{
    QStyleOptionSlider option;
    option.initFrom(slider);
    option.orientation = slider->orientation();
    option.minimum = slider->minimum();
    option.maximum = slider->maximum();
    option.sliderPosition = slider->sliderPosition();
    option.sliderValue = slider->value();
    option.subControls = QStyle::SC_SliderHandle;
    return slider->style()
        ->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, slider)
        .center();
}
} // namespace

class ParametersPaneTest : public HxHostTest
{
protected:
    void SetUp() override
    {
        HxHostTest::SetUp();
        m_pane = std::make_unique<HxParametersPane>(&m_manager);
        m_pane->resize(360, 700);
        m_pane->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_pane.get()));
    }
    void TearDown() override
    {
        m_pane.reset();
        HxHostTest::TearDown();
    }

    HxViewportMgr m_manager;
    std::unique_ptr<HxParametersPane> m_pane;
};

TEST_F(ParametersPaneTest, ShowsTheSelectedNodesPropertiesInGroups)
{
    EXPECT_TRUE(m_pane->sliders().isEmpty());

    hxScene->setPrimarySelection(m_figure);
    EXPECT_EQ(m_pane->node(), m_figure);
    const QStringList transforms = labels(m_pane->sliders(), m_pane->findGroup(QStringLiteral("Transforms")));
    EXPECT_EQ(transforms, (QStringList{"X Translate", "Y Translate", "Z Translate", "X Rotate", "Y Rotate",
                                       "Z Rotate", "X Scale", "Y Scale", "Z Scale", "Scale"}));
    EXPECT_EQ(labels(m_pane->sliders(), m_pane->findGroup(QStringLiteral("Morphs"))),
              (QStringList{"Smile", "Jaw Side"}));
    EXPECT_EQ(labels(m_pane->sliders(), m_pane->findGroup(QStringLiteral("Other"))), QStringList{"Breathing"})
        << "hidden properties stay out";

    hxScene->setPrimarySelection(bone("arm"));
    EXPECT_NE(m_pane->findGroup(QStringLiteral("Transforms")), nullptr);
    EXPECT_EQ(m_pane->findGroup(QStringLiteral("Morphs")), nullptr)
        << "a bone without morphs has no such group";
    EXPECT_EQ(m_pane->findGroup(QStringLiteral("Other")), nullptr);
    ASSERT_NE(m_pane->findSlider(QStringLiteral("X Rotate")), nullptr);
    EXPECT_EQ(m_pane->findSlider(QStringLiteral("X Rotate"))->property(), bone("arm")->getXRotControl());

    hxScene->removeNode(m_figure);
    EXPECT_TRUE(m_pane->sliders().isEmpty());
}

TEST_F(ParametersPaneTest, OneSliderDragIsOneUndoStep)
{
    hxScene->setPrimarySelection(bone("arm"));
    HxPropertySlider* editor = m_pane->findSlider(QStringLiteral("X Rotate"));
    ASSERT_NE(editor, nullptr);
    QSlider* slider = editor->slider();
    HxFloatProperty* property = bone("arm")->getXRotControl();
    QUndoStack* stack = hxUndoStack->undoStack();
    ASSERT_EQ(stack->count(), 0);

    const int restPosition = slider->value();
    const QPoint start = handleCentre(slider);
    QTest::mousePress(slider, Qt::LeftButton, {}, start);
    EXPECT_TRUE(m_manager.isManipulating()) << "viewports draw light during the drag";
    QTest::mouseMove(slider, start + QPoint(20, 0));
    const float midway = property->getValue();
    QTest::mouseMove(slider, start + QPoint(45, 0));
    QTest::mouseRelease(slider, Qt::LeftButton, {}, start + QPoint(45, 0));
    EXPECT_FALSE(m_manager.isManipulating());

    const float dragged = property->getValue();
    EXPECT_GT(midway, 0.0f);
    EXPECT_GT(dragged, midway) << "the value follows the drag";
    EXPECT_EQ(stack->count(), 1) << "every move of the drag is in one step";
    EXPECT_EQ(stack->text(0), QStringLiteral("Change X Rotate"));
    EXPECT_NEAR(editor->spinBox()->value(), dragged, 0.05);

    stack->undo();
    EXPECT_EQ(property->getValue(), 0.0f);
    EXPECT_EQ(slider->value(), restPosition);
    EXPECT_DOUBLE_EQ(editor->spinBox()->value(), 0.0) << "the editor shows the undone value";
    stack->redo();
    EXPECT_FLOAT_EQ(property->getValue(), dragged);
}

TEST_F(ParametersPaneTest, ATypedValueIsOneStepAndOutsideChangesShow)
{
    hxScene->setPrimarySelection(bone("arm"));
    HxPropertySlider* editor = m_pane->findSlider(QStringLiteral("Y Rotate"));
    ASSERT_NE(editor, nullptr);
    QDoubleSpinBox* spin = editor->spinBox();
    spin->selectAll();
    QTest::keyClicks(spin, QStringLiteral("33.5"));
    QTest::keyClick(spin, Qt::Key_Return);
    EXPECT_FLOAT_EQ(bone("arm")->getYRotControl()->getValue(), 33.5f);
    EXPECT_EQ(hxUndoStack->undoStack()->count(), 1);

    // The slider moved with it; a change from elsewhere moves both.
    const int at33 = editor->slider()->value();
    bone("arm")->getYRotControl()->setValue(-90.0f);
    EXPECT_DOUBLE_EQ(spin->value(), -90.0);
    EXPECT_LT(editor->slider()->value(), at33);
    EXPECT_EQ(hxUndoStack->undoStack()->count(), 1) << "showing a value changes nothing";
}

TEST_F(ParametersPaneTest, KeyedPropertiesAreMarkedAndFollowTheTime)
{
    HxFloatProperty* property = bone("arm")->getZRotControl();
    property->setValue(0, 0.0f);
    property->setValue(20 * 160, 40.0f);
    hxScene->setPrimarySelection(bone("arm"));
    HxPropertySlider* keyed = m_pane->findSlider(QStringLiteral("Z Rotate"));
    HxPropertySlider* plain = m_pane->findSlider(QStringLiteral("X Rotate"));
    ASSERT_TRUE(keyed && plain);

    EXPECT_EQ(plain->keyState(), 0);
    EXPECT_TRUE(plain->keyMark()->text().isEmpty());
    EXPECT_EQ(keyed->keyState(), 2) << "a key sits at frame 0";
    const QString onKey = keyed->keyMark()->text();
    EXPECT_FALSE(onKey.isEmpty());

    hxScene->setTime(10 * 160);
    EXPECT_EQ(keyed->keyState(), 1);
    EXPECT_NE(keyed->keyMark()->text(), onKey);
    EXPECT_FALSE(keyed->keyMark()->text().isEmpty());
    EXPECT_DOUBLE_EQ(keyed->spinBox()->value(), 20.0) << "the editor shows the value at the new time";

    property->deleteKeys(HxTimeRange(0, 100000));
    EXPECT_EQ(keyed->keyState(), 0);
    EXPECT_TRUE(keyed->keyMark()->text().isEmpty());
}
