#include "hxhosttest.h"

#include "hxhostwindow.h"
#include "hxscenedocument.h"
#include "hxplayback.h"
#include "hxtimelinepane.h"
#include "hxviewport.h"

#include "hxcore/hxbone.h"
#include "hxcore/hxfloatproperty.h"
#include "hxcore/hxmorph.h"
#include "hxcore/hxobject.h"
#include "hxcore/hxscene.h"
#include "hxcore/hxskeleton.h"
#include "hxcore/hxundostack.h"
#include "hxcore/hxundostackhold.h"

#include <QFile>
#include <QMessageBox>
#include <QTest>

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& content)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(content);
    return path;
}

void HxHostTest::SetUp()
{
    HxAppTest::SetUp();
    m_figure = makeFigure(QStringLiteral("Stick"));
    hxScene->addNode(m_figure);
    m_window = std::make_unique<HxHostWindow>();
    // Nobody answers a question here: closing or renewing a changed scene
    // discards it instead of waiting on a modal box.
    m_window->document()->setSaveQuestion([](const QString&) { return QMessageBox::Discard; });
    m_window->timelinePane()->playback()->setClock([this] { return m_now; });
    m_window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
    m_window->viewport()->frameAll();
}

void HxHostTest::TearDown()
{
    m_window.reset();
    HxAppTest::TearDown();
}

HxSkeleton* HxHostTest::makeFigure(const QString& name)
{
    auto* figure = new HxSkeleton(name);
    auto add = [figure](const char* boneName, HxBone* parent, HxVec3 origin, HxVec3 end) {
        auto* b = new HxBone(QString::fromLatin1(boneName));
        if (parent)
            b->setParentBone(parent);
        b->setRestGeometry(origin, end);
        figure->addBone(b);
        return b;
    };
    HxBone* chest = add("chest", add("hip", nullptr, {0, 100, 0}, {0, 110, 0}), {0, 110, 0}, {0, 140, 0});
    HxBone* arm = add("arm", chest, {0, 140, 0}, {40, 140, 0});
    add("forearm", arm, {40, 140, 0}, {70, 140, 0});
    add("sleeve", nullptr, {0, 140, 0}, {40, 140, 0})->setFollowBone(arm);

    auto* object = new HxObject(name + QStringLiteral("Body"));
    object->addItem(new HxMorph(QStringLiteral("Smile"), QStringLiteral("Smile")));
    auto* jaw = new HxMorph(QStringLiteral("JawSide"), QStringLiteral("Jaw Side"));
    jaw->getValueChannel()->setLimits(-1.0f, 1.0f, true);
    object->addItem(jaw);
    figure->setObject(object);

    figure->addProperty(
        new HxFloatProperty(figure, QStringLiteral("Breathing"), QStringLiteral("Breathing")));
    auto* secret = new HxFloatProperty(figure, QStringLiteral("Secret"), QStringLiteral("Secret"));
    secret->setHidden(true);
    figure->addProperty(secret);
    return figure;
}

void HxHostTest::setUndoable(HxFloatProperty* property, float value)
{
    HxUndoStackHold hold(hxUndoStack);
    property->beginEdit();
    property->setValue(value);
    property->finishEdit();
    hold.accept(QStringLiteral("Change ") + property->getLabel());
}

QImage HxHostTest::image(QWidget* widget)
{
    return widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

HxBone* HxHostTest::bone(const char* name) const
{
    return m_figure->findBone(QString::fromLatin1(name));
}

void HxHostTest::advance(qint64 ms)
{
    m_now += ms;
    m_window->timelinePane()->playback()->tick();
}
