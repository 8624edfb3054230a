#include "hxfakeclock.h"
#include "kinetoruitest.h"

#include "model/hxkinetornodedata.h"
#include "model/hxkinetorpose.h"

#include "hxcore/hxfloatproperty.h"
#include "hxcore/hxmorph.h"
#include "hxcore/hxobject.h"
#include "hxcore/hxundostack.h"
#include "hxcore/hxundostackhold.h"

#include <QInputDialog>
#include <QSet>
#include <QUndoStack>
#include <bit>
#include <cstring>
#include <random>

namespace {

// Everything undo must give back, as raw bits: every float property's static
// value and keys, every layer of every group with its name, dots (position
// and records) and cursor keys.
class Fingerprint
{
public:
    template <typename T> void put(const T& value)
    {
        char bytes[sizeof(T)];
        std::memcpy(bytes, &value, sizeof(T));
        m_bytes.append(bytes, qsizetype(sizeof(T)));
    }
    void put(const QString& text) { m_bytes.append(text.toUtf8()).append('\0'); }
    void put(const HxVec3& v)
    {
        for (int i = 0; i < 3; ++i)
            put(v[i]);
    }
    void property(const HxFloatProperty* property)
    {
        put(property->objectName());
        put(property->getStaticValue());
        put(property->getNumKeys());
        for (const HxFloatKey& key : property->keyList()) {
            put(key.time);
            put(key.value);
        }
    }
    void element(const HxElement* element)
    {
        for (int i = 0; i < element->getNumProperties(); ++i)
            if (auto* floatProperty = qobject_cast<HxFloatProperty*>(element->getProperty(i)))
                property(floatProperty);
    }
    void layer(const HxKinetorLayer* layer)
    {
        put(layer->getName());
        put(int(layer->getPoses().size()));
        for (const HxKinetorPose* pose : layer->getPoses()) {
            put(pose->getX());
            put(pose->getY());
            put(int(pose->getNodeData().size()));
            for (const auto& record : pose->getNodeData()) {
                put(record != nullptr);
                if (!record)
                    continue;
                put(record->getPos());
                put(record->getScale());
                put(record->getGenScale());
                const HxQuat& q = record->getRot();
                put(q.x());
                put(q.y());
                put(q.z());
                put(q.w());
                for (auto it = record->getPropValues().constBegin(); it != record->getPropValues().constEnd();
                     ++it) {
                    put(it.key()->objectName());
                    put(it.value());
                }
            }
        }
        const HxPointKeyList& keys = layer->getCursor()->keys();
        put(keys.count());
        for (int i = 0; i < keys.count(); ++i) {
            put(keys.at(i)->time);
            put(keys.at(i)->x);
            put(keys.at(i)->y);
        }
    }
    QByteArray bytes() const { return m_bytes; }

private:
    QByteArray m_bytes;
};

// Runs random sessions of what a person does with the pane, the canvas and
// the history, each followed by undoing and redoing all of it.
class HxKinetorUndoSessionTest : public HxKinetorUiTest
{
protected:
    void SetUp() override
    {
        HxKinetorUiTest::SetUp();
        createWindowWithPane();
        m_figure = new HxSkeleton(QStringLiteral("Figure"));
        auto* hip = new HxBone(QStringLiteral("Hip"));
        auto* chest = new HxBone(QStringLiteral("Chest"));
        chest->setParentBone(hip);
        m_figure->addBone(hip);
        m_figure->addBone(chest);
        m_figure->setObject(new HxObject(QStringLiteral("FigureObject")));
        auto* smile = new HxMorph(QStringLiteral("Smile"), QStringLiteral("Smile"));
        m_figure->getObject()->addItem(smile);
        auto* flex = new HxFloatProperty(m_figure, QStringLiteral("Flex"), QStringLiteral("Flex"));
        m_figure->addProperty(flex);
        hxScene->addNode(m_figure);
        hxScene->setTimeStep(160);
        hxScene->setPlayRange(HxTimeRange(0, 4800));
        hxScene->setAnimRange(HxTimeRange(0, 4800));
        m_posable = {hip->getXPosControl(),      hip->getZRotControl(),    chest->getYRotControl(),
                     m_figure->getXPosControl(), smile->getValueChannel(), flex};
        showLayerOf(m_figure);
        m_group = m_pane->getLayerGroupByNode(m_figure);
    }

    QByteArray fingerprint() const
    {
        Fingerprint print;
        for (HxNode* node : hxScene->nodes()) {
            print.element(node);
            if (HxObject* object = node->getObject())
                for (int i = 0; i < object->getNumItems(); ++i)
                    print.element(object->getItem(i));
        }
        for (HxKinetorLayerGroup* group : {m_pane->getLayerGroupByNode(nullptr), m_group.data()}) {
            print.put(group->count());
            for (int i = 0; i < group->count(); ++i)
                print.layer(group->layerAt(i));
        }
        return print.bytes();
    }

    QStringList stepNames() const
    {
        QStringList names;
        for (int i = 0; i < hxUndoStack->undoStack()->count(); ++i)
            names << hxUndoStack->undoStack()->text(i);
        return names;
    }
    int pick(int count) { return std::uniform_int_distribution<int>(0, count - 1)(m_random); }
    bool chance(double p) { return std::bernoulli_distribution(p)(m_random); }

    HxKinetorLayer* layer() const { return m_pane->getActiveLayer(); }
    HxKinetorLayerView* view() const { return m_pane->getActiveLayerView(); }
    QPoint pixelOfDot(const HxKinetorPose* pose) const
    {
        int px = 0;
        int py = 0;
        view()->layerToView(pose->getX(), pose->getY(), px, py);
        return QPoint(px, py);
    }
    QPoint randomPixel()
    {
        return QPoint(10 + pick(std::max(1, view()->width() - 20)),
                      10 + pick(std::max(1, view()->height() - 20)));
    }

    // Undo and Redo as the host's menu runs them: refused while a hold that
    // cannot be closed from outside is open, and then nothing changes.
    void history(bool undo)
    {
        const bool live = hxUndoStack->holdDepth() > 0 && !hxUndoStack->closePendingHolds();
        const QByteArray before = fingerprint();
        const bool ran = undo ? hxUndoStack->undo() : hxUndoStack->redo();
        EXPECT_EQ(ran, !live);
        m_refused += !ran;
        if (!ran) {
            EXPECT_EQ(fingerprint(), before) << "a refused Undo or Redo changes nothing";
        }
    }

    void setFigureValue()
    {
        HxFloatProperty* property = m_posable[std::size_t(pick(int(m_posable.size())))];
        const float values[] = {0.0f, -0.0f, 1.5f, -2.25f,
                                std::uniform_real_distribution<float>(-90.0f, 90.0f)(m_random)};
        const float value = values[pick(5)];
        HxUndoStackHold hold;
        if (chance(0.3))
            property->setValue(hxScene->getTime(), value);
        else
            property->setValue(value);
        hold.accept(QStringLiteral("Change %1").arg(property->getLabel()));
    }

    void editGesture()
    {
        m_pane->setMode(HxKinetorPane::EditMode);
        HxKinetorLayer* target = layer();
        const bool onDot = !target->getPoses().isEmpty() && chance(0.6);
        const QPoint at =
            onDot ? pixelOfDot(target->getPoses()[pick(int(target->getPoses().size()))]) : randomPixel();
        const Qt::KeyboardModifiers modifiers = chance(0.3) ? Qt::ShiftModifier : Qt::NoModifier;
        QPoint last = at;
        QTest::mousePress(view(), Qt::LeftButton, modifiers, at);
        if (chance(0.4)) {
            for (int i = pick(3); i >= 0; --i) {
                last = randomPixel();
                QTest::mouseMove(view(), last);
                if (chance(0.2))
                    history(chance(0.5));
            }
        }
        QTest::mouseRelease(view(), Qt::LeftButton, modifiers, last);
    }

    void liveDrag()
    {
        HxKinetorLayer* target = layer();
        if (target->getNumPoses() < 2)
            return;
        m_pane->setMode(chance(0.7) ? HxKinetorPane::RecordMode : HxKinetorPane::PreviewMode);
        auto clock = std::make_unique<HxFakeClock>();
        HxFakeClock* fake = clock.get();
        target->setClock(std::move(clock));
        QPointer<HxKinetorLayer> blending = target;
        QPointer<HxKinetorLayerView> canvas = view();
        QTest::mousePress(canvas, Qt::LeftButton, Qt::NoModifier, randomPixel());
        m_drags += target->isLiveBlending();
        for (int step = 3 + pick(6); step > 0 && canvas; --step) {
            switch (pick(8)) {
            case 0:
                history(chance(0.5));
                break;
            case 1:
                if (chance(0.3)) // a script switching the mode mid-drag
                    m_pane->setMode(pick(3));
                break;
            default:
                QTest::mouseMove(canvas, randomPixel());
                fake->advance(10 + pick(120));
                QCoreApplication::processEvents();
                break;
            }
        }
        if (canvas)
            QTest::mouseRelease(canvas, Qt::LeftButton, Qt::NoModifier, randomPixel());
        EXPECT_TRUE(blending && !blending->isLiveBlending());
    }

    void scrub()
    {
        if (m_pane->mode() == HxKinetorPane::EditMode)
            m_pane->setMode(HxKinetorPane::PreviewMode);
        for (int i = 1 + pick(4); i > 0; --i) {
            hxScene->setTime(160 * pick(30));
            if (chance(0.15))
                history(true);
        }
    }

    // Types the text into the name dialog the next action opens, and accepts it.
    void answerNameDialog(const QString& text)
    {
        QTimer::singleShot(0, m_timers.get(), [text] {
            if (auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget())) {
                dialog->setTextValue(text);
                dialog->accept();
            }
        });
    }

    void runAction()
    {
        static const QStringList names = {"DeletePose",  "UpdatePose", "ClearLayer", "ClearLayerAnimation",
                                          "DeleteLayer", "AddLayer",   "RenameLayer"};
        const QString shortName = names[pick(int(names.size()))];
        if (shortName == QLatin1String("DeleteLayer") && m_group->count() < 2)
            return; // keep a layer to work on
        const QString name = QStringLiteral("HxKinetor%1Action").arg(shortName);
        if (shortName == QLatin1String("AddLayer") || shortName == QLatin1String("RenameLayer"))
            answerNameDialog(QStringLiteral("Take %1").arg(pick(1000)));
        if (HxKinetorLayer* target = layer(); target && !target->getPoses().isEmpty())
            target->setActivePose(target->getPoses()[pick(int(target->getPoses().size()))]);
        actionMgr()->findAction(name)->trigger();
    }

    void runSession(int length)
    {
        hxUndoStack->clear();
        m_pane->setFillFrames(chance(0.7));
        m_pane->setExtendFrames(chance(0.5));
        const QByteArray start = fingerprint();
        for (int op = 0; op < length; ++op) {
            const int kind = pick(10);
            ++m_operations;
            m_log << QString::number(kind) + "@" + QString::number(hxUndoStack->undoStack()->index());
            switch (kind) {
            case 0:
                setFigureValue();
                break;
            case 1:
            case 2:
                editGesture();
                break;
            case 3:
            case 4:
                liveDrag();
                break;
            case 5:
                scrub();
                break;
            case 6:
                history(chance(0.6));
                break;
            case 7:
                runAction();
                break;
            case 8:
                if (m_group->count() > 1)
                    m_group->setCurrentIndex(pick(m_group->count()));
                break;
            default:
                m_pane->setMode(pick(3));
                break;
            }
            ASSERT_NE(layer(), nullptr);
        }
        // A burst of fills still waiting for its timer closes as its step.
        ASSERT_TRUE(hxUndoStack->closePendingHolds());
        const QByteArray end = fingerprint();
        QUndoStack* stack = hxUndoStack->undoStack();
        // Steps undone last in the session stay undone at its end.
        const int endIndex = stack->index();
        for (const QString& name : stepNames())
            m_stepKinds.insert(name);
        m_steps += stack->count();
        while (stack->canUndo())
            ASSERT_TRUE(hxUndoStack->undo());
        ++m_sessions;
        if (fingerprint() != start) {
            ++m_mismatches;
            ADD_FAILURE() << "undo all: " << m_log.join(' ').toStdString() << " steps "
                          << stepNames().join(", ").toStdString();
        }
        while (stack->index() < endIndex)
            ASSERT_TRUE(hxUndoStack->redo());
        if (fingerprint() != end) {
            ++m_mismatches;
            ADD_FAILURE() << "redo all: " << m_log.join(' ').toStdString() << " steps "
                          << stepNames().join(", ").toStdString();
        }
        m_log.clear();
        // Dots pile up over sessions; a crowded layer goes back to this
        // session's start, so every blend stays small.
        int dots = 0;
        for (int i = 0; i < m_group->count(); ++i)
            dots += m_group->layerAt(i)->getNumPoses();
        if (dots > 10) {
            while (stack->canUndo())
                ASSERT_TRUE(hxUndoStack->undo());
        }
    }

    QPointer<HxSkeleton> m_figure;
    QPointer<HxKinetorLayerGroup> m_group;
    std::vector<HxFloatProperty*> m_posable;
    std::mt19937 m_random;
    int m_sessions = 0;
    int m_mismatches = 0;
    QStringList m_log;
    int m_refused = 0;
    int m_operations = 0;
    int m_steps = 0;
    int m_drags = 0;
    QSet<QString> m_stepKinds;
};

} // namespace

TEST_F(HxKinetorUndoSessionTest, UndoingAndRedoingEverySessionGivesBackItsStartAndEndBitForBit)
{
    // Fixed seeds: a failure is replayed by running the same session again.
    for (unsigned seed = 1; seed <= 300; ++seed) {
        m_random.seed(seed);
        runSession(30 + pick(10));
        ASSERT_FALSE(HasFatalFailure()) << "seed " << seed;
        ASSERT_EQ(m_mismatches, 0) << "first mismatch with seed " << seed;
    }
    EXPECT_EQ(m_sessions, 300);
    RecordProperty("operations", m_operations);
    RecordProperty("drags", m_drags);
    RecordProperty("refused", m_refused);
    RecordProperty("steps", m_steps);
    // The sessions did reach what they are meant to probe.
    EXPECT_GT(m_drags, 300);
    EXPECT_GT(m_refused, 50);
    for (const char* step :
         {"Add Pose", "Apply Pose", "Update Pose", "Move Pose", "Kinetoring", "Kinetor Fill Frames",
          "Clear Layer Animation", "Delete Selected Pose", "Update Selected Pose", "Clear Layer", "Add Layer",
          "Rename Layer", "Delete Layer"})
        EXPECT_TRUE(m_stepKinds.contains(QLatin1String(step))) << step;
}

TEST_F(HxKinetorUndoSessionTest, EveryKindOfChangeIsOneNamedStep)
{
    QUndoStack* stack = hxUndoStack->undoStack();
    QStringList steps;
    const auto lastStep = [&] {
        return stack->count() ? stack->text(stack->count() - 1) : QString();
    };
    const auto trigger = [&](const char* name, const QString& dialogText = QString()) {
        if (!dialogText.isEmpty())
            answerNameDialog(dialogText);
        actionMgr()->findAction(QStringLiteral("HxKinetor%1Action").arg(QLatin1String(name)))->trigger();
        steps << lastStep();
    };

    m_posable[0]->setValue(1.0f);
    QTest::mouseClick(view(), Qt::LeftButton, Qt::NoModifier, QPoint(20, 20));
    steps << lastStep();
    m_posable[0]->setValue(2.0f);
    QTest::mouseClick(view(), Qt::LeftButton, Qt::NoModifier, QPoint(120, 60));
    steps << lastStep();
    QTest::mouseClick(view(), Qt::LeftButton, Qt::NoModifier, QPoint(20, 20));
    steps << lastStep();
    m_posable[0]->setValue(3.0f);
    QTest::mouseClick(view(), Qt::LeftButton, Qt::ShiftModifier, QPoint(20, 20));
    steps << lastStep();
    QTest::mousePress(view(), Qt::LeftButton, Qt::NoModifier, QPoint(20, 20));
    QTest::mouseMove(view(), QPoint(40, 30));
    QTest::mouseRelease(view(), Qt::LeftButton, Qt::NoModifier, QPoint(40, 30));
    steps << lastStep();
    EXPECT_EQ(stack->count(), 5) << "pressing a dot applies its pose, dragging it moves it: two steps; "
                                 << stepNames().join(", ").toStdString();

    m_pane->setMode(HxKinetorPane::RecordMode);
    auto clock = std::make_unique<HxFakeClock>();
    HxFakeClock* fake = clock.get();
    layer()->setClock(std::move(clock));
    QTest::mousePress(view(), Qt::LeftButton, Qt::NoModifier, QPoint(30, 30));
    for (int i = 0; i < 4; ++i) {
        QTest::mouseMove(view(), QPoint(40 + 20 * i, 40));
        fake->advance(100); // every third frame
        QCoreApplication::processEvents();
    }
    QTest::mouseRelease(view(), Qt::LeftButton, Qt::NoModifier, QPoint(100, 40));
    steps << lastStep();
    hxScene->setTime(0);
    for (int frame = 1; frame < 20 && !layer()->isEditing(); ++frame)
        hxScene->setTime(160 * frame);
    ASSERT_TRUE(layer()->isEditing()) << "some recorded frame was skipped and gets filled";
    ASSERT_TRUE(hxUndoStack->undo()) << "Undo closes the burst of fills, then undoes it";
    EXPECT_EQ(stack->text(stack->count() - 1), QStringLiteral("Kinetor Fill Frames"));
    EXPECT_EQ(stack->index(), stack->count() - 1);
    hxUndoStack->redo();

    trigger("ClearLayerAnimation");
    trigger("UpdatePose");
    trigger("DeletePose");
    trigger("ClearLayer");
    trigger("AddLayer", QStringLiteral("Second"));
    trigger("RenameLayer", QStringLiteral("Renamed"));
    trigger("DeleteLayer");
    EXPECT_EQ(steps,
              (QStringList{"Add Pose", "Add Pose", "Apply Pose", "Update Pose", "Move Pose", "Kinetoring",
                           "Clear Layer Animation", "Update Selected Pose", "Delete Selected Pose",
                           "Clear Layer", "Add Layer", "Rename Layer", "Delete Layer"}));
}
