#pragma once

#include "hxcore/hxaction.h"
#include "hxcore/hxglobal.h"

#include <QString>

class HxSaveFilter;

// The command that exports through one save filter, named by its class
// name: activating it runs the host's export (HxSaveFilterMgr::exportWith)
// with that filter. The host puts it under File > Export.
class HXCORE_EXPORT HxSaveFilterAction : public HxAction
{
    Q_OBJECT
public:
    explicit HxSaveFilterAction(const QString& filterClassName, QObject* parent = nullptr);
    ~HxSaveFilterAction() override;

    QString getFilterClassName() const { return m_filterClassName; }
    // Null without a main window or without the filter.
    HxSaveFilter* getFilter() const;

    // Takes "<description>..." as menu text when the action has none.
    void init() override;
    QString getActionGroup() const override;

protected:
    void executeAction() override;

private:
    QString m_filterClassName;
};
