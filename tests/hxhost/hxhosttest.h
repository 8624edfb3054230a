#pragma once

#include "hxapptest.h"

#include <QImage>
#include <QStringList>

class HxBone;
class HxFloatProperty;
class HxHostWindow;
class HxSkeleton;
class QWidget;

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& content);
// Runs hxhost offscreen with scratch settings; gives the exit code, or -1 for a crash or a hang.
int runHost(const QStringList& arguments, QString* errors);

// A fresh application showing the host window, with a small test figure in centimetres, Y up:
// hip (0,100,0)-(0,110,0) > chest -(0,140,0) > arm -(40,140,0) > forearm -(70,140,0),
// and a parentless sleeve over the arm that follows it. The figure has the morphs
// "Smile" and "Jaw Side", the property "Breathing" and a hidden "Secret".
// Playback runs on a clock the test moves.
class HxHostTest : public HxAppTest
{
protected:
    void SetUp() override;
    void TearDown() override;

    static HxSkeleton* makeFigure(const QString& name);
    // Changes the value as one undo step, as an editor would.
    static void setUndoable(HxFloatProperty* property, float value);
    // Renders the widget as it would appear on screen.
    static QImage image(QWidget* widget);
    HxBone* bone(const char* name) const;
    void advance(qint64 ms);

    HxSkeleton* m_figure = nullptr;
    std::unique_ptr<HxHostWindow> m_window;
    qint64 m_now = 1000;
};
