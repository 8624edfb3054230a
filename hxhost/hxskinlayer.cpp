#include "hxskinlayer.h"

#include "hxanimationexporter.h"
#include "hxfigureposer.h"
#include "hxorbitcamera.h"
#include "hxskinnedmesh.h"

#include "hxcore/hxbone.h"
#include "hxcore/hxfloatproperty.h"
#include "hxcore/hxmorph.h"
#include "hxcore/hxscene.h"
#include "hxcore/hxskeleton.h"

#include <QMatrix4x4>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QOpenGLShaderProgram>
#include <QPaintEngine>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

const QColor kSkinColor(214, 178, 150);
const QColor kSelectedSkinColor(236, 200, 150);

// Two-sided Lambert shading from a light above and behind the viewer's
// left shoulder, plus ambient; imported skins are not always closed or
// consistently wound.
const char* const kVertexShader = R"(
attribute highp vec3 position;
attribute highp vec3 normal;
uniform highp mat4 mvp;
varying highp vec3 v_normal;
void main()
{
    v_normal = normal;
    gl_Position = mvp * vec4(position, 1.0);
}
)";

const char* const kFragmentShader = R"(
varying highp vec3 v_normal;
uniform lowp vec3 color;
uniform highp vec3 light;
void main()
{
    highp vec3 n = normalize(v_normal);
    highp float lit = abs(dot(n, light));
    gl_FragColor = vec4(color * (0.3 + 0.7 * lit), 1.0);
}
)";

HxVec3 lightDirection(const HxOrbitCamera& camera)
{
    const HxVec3 forward = (camera.target() - camera.eye()).normalized();
    const HxVec3 right = forward.cross(HxVec3(0.0f, 1.0f, 0.0f)).normalized();
    const HxVec3 up = right.cross(forward);
    return (forward * -1.0f + up * 0.6f - right * 0.4f).normalized();
}

} // namespace

struct HxSkinLayer::Posed
{
    const HxSkinnedMesh* mesh = nullptr;
    std::vector<HxVec3> positions;
    std::vector<HxVec3> normals;
    bool selected = false;
};

HxSkinLayer::HxSkinLayer(QObject* parent) : QObject(parent)
{
    if (!hxScene)
        return;
    connect(hxScene, &HxScene::nodeAdded, this, &HxSkinLayer::watch);
    connect(hxScene, &HxScene::nodeRemoved, this, [this](HxNode* node) {
        if (auto* figure = qobject_cast<HxSkeleton*>(node))
            m_posed.erase(figure);
    });
    connect(hxScene, &HxScene::sceneCleared, this, [this] { m_posed.clear(); });
    for (HxNode* node : hxScene->nodes())
        watch(node);
}

HxSkinLayer::~HxSkinLayer()
{
    // The program belongs to a context that may be gone by now; it can only
    // be freed while one is current.
    if (m_program && !QOpenGLContext::currentContext())
        (void)m_program.release();
}

void HxSkinLayer::setShowsBones(bool show)
{
    if (show == m_showBones)
        return;
    m_showBones = show;
    emit changed();
}

bool HxSkinLayer::drawsBone(const HxNode* node) const
{
    if (m_showBones || !node)
        return true;
    return !HxSkinnedMesh::of(node->getSkeleton());
}

void HxSkinLayer::watch(HxNode* node)
{
    // The viewport follows the transform controls; the skins also change
    // with their morphs.
    auto* figure = qobject_cast<HxSkeleton*>(node);
    if (!figure || !HxSkinnedMesh::of(figure))
        return;
    for (HxMorph* morph : HxAnimationExporter::morphsOf(figure)) {
        connect(morph->getValueChannel(), &HxProperty::valueChanged, this, &HxSkinLayer::changed,
                Qt::UniqueConnection);
        connect(morph->getValueChannel(), &HxProperty::keysChanged, this, &HxSkinLayer::changed,
                Qt::UniqueConnection);
    }
}

HxSkinLayer::Posed& HxSkinLayer::pose(const HxSkeleton* figure)
{
    std::unique_ptr<Posed>& slot = m_posed[figure];
    if (!slot)
        slot = std::make_unique<Posed>();
    Posed& posed = *slot;
    posed.mesh = HxSkinnedMesh::of(figure);

    HxFigurePoser poser(figure);
    std::vector<HxMatrix4> frames;
    frames.reserve(size_t(figure->getNumBones()));
    for (int b = 0; b < figure->getNumBones(); ++b)
        frames.push_back(poser.boneFrame(figure->getBone(b)));
    const QList<HxMorph*> morphs = HxAnimationExporter::morphsOf(figure);
    std::vector<float> values(posed.mesh->morphs.size(), 0.0f);
    for (size_t m = 0; m < values.size(); ++m)
        for (const HxMorph* morph : morphs)
            if (morph->objectName() == posed.mesh->morphs[m].name) {
                values[m] = morph->getValueChannel()->getValue();
                break;
            }
    posed.mesh->deform(frames, values, posed.positions, &posed.normals);
    HxNode* selected = hxScene ? hxScene->getPrimarySelection() : nullptr;
    posed.selected = selected && selected->getSkeleton() == figure;
    return posed;
}

bool HxSkinLayer::bounds(const HxSkeleton* figure, HxVec3& min, HxVec3& max)
{
    if (!figure || !HxSkinnedMesh::of(figure))
        return false;
    const Posed& skin = pose(figure);
    bool any = false;
    for (const HxVec3& p : skin.positions) {
        if (!p.isFinite())
            continue;
        for (int k = 0; k < 3; ++k) {
            min[k] = any ? std::min(min[k], p[k]) : p[k];
            max[k] = any ? std::max(max[k], p[k]) : p[k];
        }
        any = true;
    }
    return any;
}

void HxSkinLayer::draw(QPainter& painter, const HxOrbitCamera& camera)
{
    m_lastTriangles = 0;
    m_lastGL = false;
    if (!hxScene)
        return;
    const QPaintEngine* engine = painter.paintEngine();
    if (engine && engine->type() == QPaintEngine::OpenGL2 && QOpenGLContext::currentContext())
        drawWithOpenGL(painter, camera);
    else
        drawWithPainter(painter, camera);
}

void HxSkinLayer::drawWithOpenGL(QPainter& painter, const HxOrbitCamera& camera)
{
    QList<Posed*> skins;
    for (HxNode* node : hxScene->nodes()) {
        auto* figure = qobject_cast<HxSkeleton*>(node);
        if (figure && !figure->isHidden() && HxSkinnedMesh::of(figure))
            skins << &pose(figure);
    }
    if (skins.isEmpty())
        return;

    painter.beginNativePainting();
    QOpenGLContext* context = QOpenGLContext::currentContext();
    QOpenGLFunctions* gl = context->functions();
    if (!m_program) {
        m_program = std::make_unique<QOpenGLShaderProgram>();
        if (!m_program->addShaderFromSourceCode(QOpenGLShader::Vertex, kVertexShader) ||
            !m_program->addShaderFromSourceCode(QOpenGLShader::Fragment, kFragmentShader) ||
            !m_program->link()) {
            qWarning("hxhost: the skin shader does not build: %s", qPrintable(m_program->log()));
            m_program.reset();
            painter.endNativePainting();
            drawWithPainter(painter, camera);
            return;
        }
        // The program dies with the context it was made in.
        connect(context, &QOpenGLContext::aboutToBeDestroyed, this, [this] { m_program.reset(); });
    }

    const QSize size = camera.viewSize();
    const qreal ratio = painter.device()->devicePixelRatioF();
    gl->glViewport(0, 0, int(size.width() * ratio), int(size.height() * ratio));
    gl->glEnable(GL_DEPTH_TEST);
    gl->glDepthFunc(GL_LESS);
    gl->glDepthMask(GL_TRUE);
    gl->glClear(GL_DEPTH_BUFFER_BIT);
    gl->glDisable(GL_CULL_FACE);
    gl->glDisable(GL_BLEND);
    gl->glBindBuffer(GL_ARRAY_BUFFER, 0);
    gl->glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);

    // The camera's projection: the same field of view, eye and target as
    // HxOrbitCamera::project.
    QMatrix4x4 projection;
    const float aspect = float(std::max(1, size.width())) / float(std::max(1, size.height()));
    projection.perspective(35.0f, aspect, camera.distance() * 1e-2f, camera.distance() * 100.0f);
    QMatrix4x4 view;
    const HxVec3 eye = camera.eye();
    const HxVec3 target = camera.target();
    view.lookAt(QVector3D(eye.x, eye.y, eye.z), QVector3D(target.x, target.y, target.z), QVector3D(0, 1, 0));
    const HxVec3 light = lightDirection(camera);

    m_program->bind();
    m_program->setUniformValue("mvp", projection * view);
    m_program->setUniformValue("light", QVector3D(light.x, light.y, light.z));
    const int position = m_program->attributeLocation("position");
    const int normal = m_program->attributeLocation("normal");
    m_program->enableAttributeArray(position);
    m_program->enableAttributeArray(normal);
    for (const Posed* skin : std::as_const(skins)) {
        const QColor color = skin->selected ? kSelectedSkinColor : kSkinColor;
        m_program->setUniformValue("color", QVector3D(color.redF(), color.greenF(), color.blueF()));
        m_program->setAttributeArray(position, GL_FLOAT, skin->positions.data(), 3);
        m_program->setAttributeArray(normal, GL_FLOAT, skin->normals.data(), 3);
        gl->glDrawElements(GL_TRIANGLES, GLsizei(skin->mesh->triangles.size()), GL_UNSIGNED_INT,
                           skin->mesh->triangles.data());
        m_lastTriangles += int(skin->mesh->triangles.size() / 3);
    }
    m_program->disableAttributeArray(position);
    m_program->disableAttributeArray(normal);
    m_program->release();
    gl->glDisable(GL_DEPTH_TEST);
    painter.endNativePainting();
    m_lastGL = true;
}

void HxSkinLayer::drawWithPainter(QPainter& painter, const HxOrbitCamera& camera)
{
    struct Face
    {
        QPointF corners[3];
        float depth;
        QColor color;
    };
    std::vector<Face> faces;
    const HxVec3 light = lightDirection(camera);
    std::vector<HxOrbitCamera::Projected> projected;
    for (HxNode* node : hxScene->nodes()) {
        auto* figure = qobject_cast<HxSkeleton*>(node);
        if (!figure || figure->isHidden() || !HxSkinnedMesh::of(figure))
            continue;
        const Posed& skin = pose(figure);
        const QColor base = skin.selected ? kSelectedSkinColor : kSkinColor;
        projected.resize(skin.positions.size());
        for (size_t v = 0; v < skin.positions.size(); ++v)
            projected[v] = camera.project(skin.positions[v]);
        const std::vector<uint32_t>& triangles = skin.mesh->triangles;
        for (size_t t = 0; t + 2 < triangles.size(); t += 3) {
            const auto& a = projected[triangles[t]];
            const auto& b = projected[triangles[t + 1]];
            const auto& c = projected[triangles[t + 2]];
            if (!a.visible || !b.visible || !c.visible)
                continue;
            // Flat shading from the face's own normal, lit from both sides.
            const HxVec3& pa = skin.positions[triangles[t]];
            const HxVec3 n = (skin.positions[triangles[t + 1]] - pa)
                                 .cross(skin.positions[triangles[t + 2]] - pa)
                                 .normalized();
            const float lit = 0.3f + 0.7f * std::fabs(n.dot(light));
            Face face{{a.point, b.point, c.point},
                      a.depth + b.depth + c.depth,
                      QColor::fromRgbF(base.redF() * lit, base.greenF() * lit, base.blueF() * lit)};
            faces.push_back(face);
        }
    }
    // Painter's algorithm: the farthest faces first.
    std::sort(faces.begin(), faces.end(), [](const Face& l, const Face& r) { return l.depth > r.depth; });
    painter.save();
    // Neighbouring faces must not show seams: no antialiasing, and an
    // outline in the face's own colour.
    painter.setRenderHint(QPainter::Antialiasing, false);
    for (const Face& face : faces) {
        painter.setPen(QPen(face.color, 1.0));
        painter.setBrush(face.color);
        painter.drawPolygon(face.corners, 3);
    }
    painter.restore();
    m_lastTriangles = int(faces.size());
}
