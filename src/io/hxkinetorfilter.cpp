#include "io/hxkinetorfilter.h"

#include "io/hxkinetorfilterframe.h"
#include "io/hxkinetorpresettext.h"
#include "layer/hxkinetorlayer.h"
#include "model/hxkinetornodedata.h"
#include "model/hxkinetorpose.h"
#include "model/hxposecollection.h"
#include "ui/hxkinetorlayergroup.h"
#include "ui/hxkinetorpane.h"

#include "hxcore/hxapp.h"
#include "hxcore/hxelement.h"
#include "hxcore/hxfloatproperty.h"
#include "hxcore/hxmainwindow.h"
#include "hxcore/hxnode.h"
#include "hxcore/hxpanemgr.h"
#include "hxcore/hxscene.h"
#include "hxcore/hxscript.h"
#include "hxcore/hxskeleton.h"

#include <new>

namespace {

// Made when the module loads, gone when it unloads. It lives here, beside
// the filter, rather than in the module object, so that the filter and its
// frame work wherever their code is linked (the tests use it without the
// module).
QList<QString> s_selectedLayers;

// Six significant digits, as Qt writes a double by default: 1e+06, 0.5, 40.
QString number(double value)
{
    return QStringLiteral("%1").arg(value, 0, 'g', -1);
}

} // namespace

HxKinetorFilter::HxKinetorFilter() : HxSaveFilter(QStringLiteral("Kinetor Preset"))
{
    setObjectName(QStringLiteral("HxKinetorFilter"));
}

HxKinetorFilter::~HxKinetorFilter() = default;

QList<QString>& HxKinetorFilter::selectedLayers()
{
    return s_selectedLayers;
}

QString HxKinetorFilter::layerKey(const QString& name, int tabIndex)
{
    // Joined, not formatted: a name may hold a "%1" of its own.
    return name + QLatin1Char('_') + QString::number(tabIndex);
}

HxNode* HxKinetorFilter::selectedNode()
{
    HxNode* node = hxScene ? hxScene->getPrimarySelection() : nullptr;
    if (node && node->inherits("HxBone"))
        node = node->getSkeleton();
    return node;
}

HxFileIOFrame* HxKinetorFilter::createOptionsFrame()
{
    try {
        return new HxKinetorFilterFrame;
    } catch (const std::bad_alloc&) {
        throw QStringLiteral("Out of Memory");
    }
}

QString HxKinetorFilter::getSaveError()
{
    return selectedNode() ? QString() : tr("Please select an item in the scene.");
}

unsigned int HxKinetorFilter::writeToFile(const QString& fileName, int mode, const QVariantMap& options)
{
    Q_UNUSED(options);
    setErrorString(QString());
    HxScript script;
    HxNode* node = selectedNode();
    if (!node) {
        setErrorString(tr("Please select an item in the scene."));
        return NoSelectionOrPane;
    }
    HxPaneMgr* panes = hxApp && hxApp->getInterface() ? hxApp->getInterface()->getPaneMgr() : nullptr;
    HxPane* found = panes ? panes->findPane(QStringLiteral("HxKinetorPane")) : nullptr;
    if (!found || qstrcmp(found->metaObject()->className(), "HxKinetorPane") != 0) {
        setErrorString(tr("There is no Kinetor pane."));
        return NoSelectionOrPane;
    }
    HxKinetorLayerGroup* group = static_cast<HxKinetorPane*>(found)->getLayerGroupByNode(node);
    if (!group) {
        setErrorString(tr("%1 has no Kinetor layers.").arg(node->objectName()));
        return NoLayerGroup;
    }
    writeScript(script, group);
    const int status = script.saveToFile(fileName, mode, QStringLiteral("Kinetor Preset"));
    if (status != 0)
        setErrorString(script.errorString());
    return unsigned(status);
}

void HxKinetorFilter::writeScript(HxScript& script, HxKinetorLayerGroup* group)
{
    const QList<QString>& selected = selectedLayers();
    QList<HxKinetorLayer*> layers;
    const int last = group->count() - 1;
    script.addCode(kinetorPresetHead());
    for (int i = 0; i <= last; ++i) {
        HxKinetorLayer* layer = group->layerAt(i);
        if (!layer || !selected.contains(layerKey(layer->getName(), i)))
            continue;
        layers.append(layer);
        script.addCode(QStringLiteral("\t\t\"%1\"").arg(layer->getName()));
        // The last tab, not the last layer written, ends the list: a comma
        // may close it, which scripts accept.
        script.addCode(i == last ? QStringLiteral("\n") : QStringLiteral(",\n"));
    }
    script.addCode(kinetorPresetMiddle());
    script.addCode(kinetorPresetCreateLayersHead());
    for (int j = 0; j < layers.size(); ++j)
        writeLayer(script, layers[j], j);
    script.addLine(QStringLiteral("\t}\n}\n"), 0);
}

void HxKinetorFilter::writeLayer(HxScript& script, HxKinetorLayer* layer, int position)
{
    const QString name = layer->getName();
    script.addLine(QStringLiteral("// Layer Section"), 2);
    script.addLine(QStringLiteral("if( aLayerNames[%1] == \"%2\" ){").arg(QString::number(position), name),
                   2);
    script.addLine(QStringLiteral("var oLayer = oKinetorPane.addLayer( oNode, \"%1\" );").arg(name), 3);
    for (HxKinetorPose* pose : layer->getPoses())
        writePose(script, pose);
    script.addLine(QStringLiteral("oLayer.zoomOutToFit();"), 3);
    script.addLine(QStringLiteral("}"), 2);
}

void HxKinetorFilter::writePose(HxScript& script, HxKinetorPose* pose)
{
    script.addLine(QStringLiteral("// Pose Section"), 3);
    script.addLine(QStringLiteral("var oPose = oLayer.newPose( %1, %2 );")
                       .arg(number(double(pose->getX())), number(double(pose->getY()))),
                   3);
    QList<HxNode*> nodes;
    pose->getNodeList(nodes);
    for (qsizetype k = 0; k < nodes.size(); ++k) {
        HxNode* node = nodes[k];
        const HxKinetorNodeData* data = pose->getNodeDataAt(k);
        if (!data)
            continue;
        script.addLine(QStringLiteral("// Node Data  Section"), 3);
        script.addLine(QStringLiteral("var sNodeName = new String( \"%1\" );").arg(node->objectName()), 3);
        script.addLine(QStringLiteral("var oNodeData = 0;"), 3);
        script.addLine(QStringLiteral("var oCurrNode = 0;"), 3);
        // Bones are found by name; the figure itself by being the top node,
        // whatever it is called in the scene the preset runs in.
        if (qstrcmp(node->metaObject()->className(), "HxBone") == 0) {
            script.addLine(QStringLiteral("if( oNode.inherits(\"HxSkeleton\") ){"), 3);
            script.addLine(QStringLiteral("oCurrNode = oNode.findBone( sNodeName );"), 4);
            script.addLine(QStringLiteral("}"), 3);
            script.addLine(QStringLiteral("oNodeData = oPose.findNodeData( sNodeName );"), 3);
        } else {
            script.addLine(QStringLiteral("oCurrNode = oNode;"), 3);
            script.addLine(QStringLiteral("oNodeData = oPose.findNodeData( sNodeName, true );"), 3);
        }
        script.addLine(QStringLiteral("if( oNodeData && oCurrNode ){"), 3);
        script.addLine(QStringLiteral("// Bone Data Transform Section"), 4);
        const HxVec3& pos = data->getPos();
        script.addLine(QStringLiteral("oNodeData.setPos( new HxVec3( %1, %2, %3 ) );")
                           .arg(number(pos.x), number(pos.y), number(pos.z)),
                       4);
        const HxVec3& scale = data->getScale();
        script.addLine(
            QStringLiteral("oNodeData.setScale( new HxVec3( %1, %2, %3 ), %4 );")
                .arg(number(scale.x), number(scale.y), number(scale.z), number(data->getGenScale())),
            4);
        const HxQuat& rot = data->getRot();
        script.addLine(QStringLiteral("oNodeData.setRot( new HxQuat( %1, %2, %3, %4 ) );")
                           .arg(number(rot.x()), number(rot.y()), number(rot.z()), number(rot.w())),
                       4);
        script.addLine(QStringLiteral("// Bone Data Property Section"), 4);
        QList<HxFloatProperty*> properties;
        collectAnimatableProperties(properties, node);
        const HxKinetorNodeData::PropertyValues& values = data->getPropValues();
        for (HxFloatProperty* property : std::as_const(properties)) {
            const auto value = values.constFind(property);
            if (value == values.constEnd())
                continue;
            // A morph's channel is named by its morph, a node's own
            // property by itself: addPropVal looks for exactly these.
            const QObject* owner = property->getOwner();
            const QString name =
                !owner || owner->inherits("HxNode") ? property->objectName() : owner->objectName();
            script.addLine(
                QStringLiteral("oNodeData.addPropVal( oCurrNode, \"%1\", %2 );").arg(name, number(*value)),
                4);
        }
        script.addLine(QStringLiteral("}"), 3);
    }
    script.addLine(QStringLiteral("oLayer.addPose( oPose, false );"), 3);
}
