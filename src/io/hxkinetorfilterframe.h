#pragma once

#include "hxcore/hxfileioframe.h"

class QRadioButton;
class QTreeWidget;

// The preset filter's options: all layers of the selected figure, or the
// ones checked in a list of its tabs. applyOptions() turns the choice into
// the filter's selected-layer keys.
class HxKinetorFilterFrame : public HxFileIOFrame
{
    Q_OBJECT
public:
    HxKinetorFilterFrame();
    ~HxKinetorFilterFrame() override;

    void applyOptions() override;
    // The other option hooks (reset, read and write settings) are left to
    // the base, which does nothing: the choice is made afresh each export.

    QTreeWidget* getLayerListView() const { return m_layerListView; }
    QRadioButton* getSaveAllButton() const { return m_saveAll; }
    QRadioButton* getSaveFromListButton() const { return m_saveFromList; }

private:
    QTreeWidget* m_layerListView;
    QRadioButton* m_saveAll;
    QRadioButton* m_saveFromList;
};
