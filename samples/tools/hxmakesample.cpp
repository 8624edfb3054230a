// Builds the sample scene: the mannequin with a layer of arm poses and a
// layer of torso poses, and a take of four seconds recorded by circling the
// blend cursor through the arm poses. Run it after changing the file format
// or the sample figure:
//   build/bin/hxmakesample samples/scenes/mannequin-layers.hxs
#include "hxkinetorscenebuilder.h"

#include "ui/hxkinetorlayerview.h"

#include "hxcore/hxapp.h"
#include "hxcore/hxscenefile.h"

#include <QApplication>
#include <QDir>
#include <QTextStream>
#include <utility>
#include <vector>

namespace {

using Turns = std::vector<std::pair<const char*, HxVec3>>;

Turns operator+(Turns a, const Turns& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Resets every bone, then turns the named bones (degrees about X, Y, Z).
void pose(HxSkeleton* figure, const Turns& turns)
{
    QList<HxBone*> bones;
    figure->getAllBones(bones);
    for (HxBone* bone : bones)
        for (HxFloatProperty* control :
             {bone->getXRotControl(), bone->getYRotControl(), bone->getZRotControl()})
            control->setValue(0.0f);
    for (const auto& [name, degrees] : turns) {
        HxBone* bone = figure->findBone(QString::fromLatin1(name));
        if (!bone)
            continue;
        bone->getXRotControl()->setValue(degrees.x);
        bone->getYRotControl()->setValue(degrees.y);
        bone->getZRotControl()->setValue(degrees.z);
    }
}

void dot(HxKinetorLayer* layer, HxSkeleton* figure, int x, int y, const Turns& turns)
{
    pose(figure, turns);
    layer->addPose(x, y);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const QString target = argc > 1 ? QString::fromLocal8Bit(argv[1])
                                    : QDir(QStringLiteral(HX_SOURCE_DIR))
                                          .filePath(QStringLiteral("samples/scenes/mannequin-layers.hxs"));
    QTextStream err(stderr);
    HxApp::setSettingsPath(QDir::temp().filePath(QStringLiteral("hxmakesample.ini")));
    HxApp app;
    HxKinetorSceneBuilder builder;
    HxSkeleton* figure = HxKinetorSceneBuilder::addFigure(
        QDir(QStringLiteral(HX_SOURCE_DIR)).filePath(QStringLiteral("samples/figures/mannequin.json")));
    if (!figure) {
        err << "hxmakesample: the sample figure could not be read" << Qt::endl;
        return 1;
    }
    hxScene->setPrimarySelection(figure);
    HxKinetorLayerGroup* group = builder.pane()->getLayerGroupByNode(figure);
    group->deleteEmptyDefaultLayer();

    HxKinetorLayer* arms = group->addLayer(QStringLiteral("Arms"));
    const Turns rest = {{"leftUpperArm", {0, 0, -70}}, {"rightUpperArm", {0, 0, 70}}};
    dot(arms, figure, -60, 0, rest);
    dot(arms, figure, 60, 0,
        {{"leftUpperArm", {0, 0, 65}}, {"rightUpperArm", {0, 0, -65}}, {"neck", {-10, 0, 0}}});
    dot(arms, figure, 0, -60,
        {{"leftUpperArm", {0, -80, -10}},
         {"rightUpperArm", {0, 80, 10}},
         {"leftForearm", {0, -30, 0}},
         {"rightForearm", {0, 30, 0}}});
    dot(arms, figure, 0, 60,
        {{"leftUpperArm", {0, 0, 70}},
         {"leftForearm", {0, 0, 60}},
         {"rightUpperArm", {0, 0, 70}},
         {"head", {0, 0, 10}}});
    // Framed for the pane's usual size of about 290 x 180 pixels; no window
    // is shown here, so the views have no size to fit to.
    arms->getView()->setViewState(1.2f, -120.0f, -75.0f);

    HxKinetorLayer* torso = group->addLayer(QStringLiteral("Torso"));
    // The arms rest in every torso pose, so this layer leaves them alone.
    dot(torso, figure, -50, 0,
        rest + Turns{{"abdomen", {0, 0, 12}}, {"chest", {0, 0, 10}}, {"head", {0, 0, -8}}});
    dot(torso, figure, 50, 0,
        rest + Turns{{"abdomen", {0, 0, -12}}, {"chest", {0, 0, -10}}, {"head", {0, 0, 8}}});
    dot(torso, figure, 0, 50, rest + Turns{{"abdomen", {20, 0, 0}}, {"chest", {15, 0, 0}}});
    torso->getView()->setViewState(1.4f, -103.0f, -40.0f);

    pose(figure, rest);
    group->setCurrentIndex(0);
    builder.recordTake(arms, 120);
    hxScene->setTime(0);

    HxSceneFile file;
    if (!file.save(target)) {
        err << file.errorString() << Qt::endl;
        return 1;
    }
    err << "hxmakesample: wrote " << target << Qt::endl;
    return 0;
}
