#pragma once

#include <QObject>
#include <memory>
#include <unordered_map>

class HxNode;
class HxOrbitCamera;
class HxSkeleton;
class HxVec3;
class QOpenGLShaderProgram;
class QPainter;

// Draws the skins of the scene's figures, deformed by their bones and
// morphs and shaded simply, for the viewport: through OpenGL when the
// viewport paints on a GL surface, else with the painter (depth-sorted
// triangles), so screenshots and offscreen runs show skins too. Over a skin
// the bones are an overlay that can be switched off.
class HxSkinLayer : public QObject
{
    Q_OBJECT
public:
    explicit HxSkinLayer(QObject* parent = nullptr);
    ~HxSkinLayer() override;

    bool showsBones() const { return m_showBones; }
    void setShowsBones(bool show);
    // Whether the viewport should draw this bone: not when it belongs to a
    // skinned figure and the bone overlay is off.
    bool drawsBone(const HxNode* node) const;

    // The box around the figure's skin as posed now; false for a figure
    // without one.
    bool bounds(const HxSkeleton* figure, HxVec3& min, HxVec3& max);
    // Draws every visible skinned figure of the scene as the camera sees it.
    void draw(QPainter& painter, const HxOrbitCamera& camera);
    // Triangles drawn by the last draw, and whether through OpenGL.
    int lastTriangleCount() const { return m_lastTriangles; }
    bool lastDrawUsedOpenGL() const { return m_lastGL; }

signals:
    // Something that changes the skins' shape, or the overlay switch.
    void changed();

private:
    struct Posed;
    void watch(HxNode* node);
    Posed& pose(const HxSkeleton* figure);
    void drawWithOpenGL(QPainter& painter, const HxOrbitCamera& camera);
    void drawWithPainter(QPainter& painter, const HxOrbitCamera& camera);

    bool m_showBones = true;
    int m_lastTriangles = 0;
    bool m_lastGL = false;
    std::unordered_map<const HxSkeleton*, std::unique_ptr<Posed>> m_posed;
    std::unique_ptr<QOpenGLShaderProgram> m_program;
};
