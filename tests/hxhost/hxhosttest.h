#pragma once

#include "hxapptest.h"

#include <QImage>

class HxBone;
class HxSkeleton;
class QWidget;

// A fresh application with the test figure in its scene.
class HxHostTest : public HxAppTest
{
protected:
    void SetUp() override;

    HxBone* bone(const char* name) const;
    // Renders the widget as it would appear on screen.
    static QImage image(QWidget* widget);

    HxSkeleton* m_figure = nullptr;
};
