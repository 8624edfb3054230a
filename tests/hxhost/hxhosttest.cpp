#include "hxhosttest.h"

#include "hxhosttestfigure.h"

#include "hxcore/hxbone.h"
#include "hxcore/hxscene.h"
#include "hxcore/hxskeleton.h"

#include <QWidget>

void HxHostTest::SetUp()
{
    HxAppTest::SetUp();
    m_figure = makeTestFigure();
    hxScene->addNode(m_figure);
}

HxBone* HxHostTest::bone(const char* name) const
{
    return m_figure->findBone(QString::fromLatin1(name));
}

QImage HxHostTest::image(QWidget* widget)
{
    return widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
}
