#pragma once

#include "hxcore/hxundoitem.h"

#include <QPointer>
#include <QString>

class HxKinetorLayer;
class HxKinetorLayerGroup;

// A layer renamed: its tab label and its name go back and forth together.
class HxKinetorLayerNameUndoItem : public HxUndoItem
{
public:
    HxKinetorLayerNameUndoItem(HxKinetorLayerGroup* group, HxKinetorLayer* layer, const QString& before,
                               const QString& after);
    ~HxKinetorLayerNameUndoItem() override;

    void undo() override;
    void redo() override;

private:
    void rename(const QString& name);

    QPointer<HxKinetorLayerGroup> m_group;
    QPointer<HxKinetorLayer> m_layer;
    QString m_before;
    QString m_after;
};
