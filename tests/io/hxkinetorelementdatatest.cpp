#include "hxapptest.h"

#include "io/hxkinetorelementdata.h"
#include "layer/hxkinetorlayer.h"
#include "ui/hxkinetorlayerview.h"

#include "hxcore/hxnode.h"
#include "hxcore/hxscene.h"

#include <QPointer>

namespace {

class HxKinetorElementDataTest : public HxAppTest
{};

TEST_F(HxKinetorElementDataTest, IsFoundOnItsNodeByNameAndListsLiveLayersWithoutOwningThem)
{
    auto* node = new HxNode(QStringLiteral("Prop"));
    hxScene->addNode(node);
    auto* data = new HxKinetorElementData;
    data->setNode(node);
    node->addDataItem(data);
    EXPECT_EQ(node->findDataItem(QStringLiteral("KinetorData")), data);
    EXPECT_EQ(data->getElement(), node);

    // Layers made by the factory have no group to take their views.
    auto first = std::make_unique<HxKinetorLayer>();
    auto second = std::make_unique<HxKinetorLayer>();
    std::unique_ptr<QWidget> firstView(first->getView());
    std::unique_ptr<QWidget> secondView(second->getView());
    QPointer<HxKinetorLayer> watch = first.get();
    data->appendLayer(first.get());
    data->appendLayer(nullptr);
    data->appendLayer(second.get());
    EXPECT_EQ(data->getLayers(), QList<HxKinetorLayer*>({first.get(), second.get()}));
    second.reset();
    EXPECT_EQ(data->getLayers(), QList<HxKinetorLayer*>({first.get()})) << "a deleted layer drops out";
    hxScene->removeNode(node);
    EXPECT_FALSE(watch.isNull());
}

} // namespace
