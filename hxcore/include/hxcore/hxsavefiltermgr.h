#pragma once

#include "hxcore/hxglobal.h"

#include <QList>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

class HxSaveFilter;
class QWidget;

// The save filters the host offers under File > Export, and the export
// itself: the filter's getSaveError() (shown when not null), its options
// frame in a dialog, applyOptions(), a file name, writeToFile(), and a
// clear message for a failed write.
class HXCORE_EXPORT HxSaveFilterMgr : public QObject
{
    Q_OBJECT
public:
    explicit HxSaveFilterMgr(QWidget* dialogParent, QObject* parent = nullptr);
    ~HxSaveFilterMgr() override;

    // Takes ownership. Refused (false, ownership stays with the caller) for
    // null and for a class that already has a filter.
    bool addFilter(HxSaveFilter* filter);
    // By class name; null when absent.
    HxSaveFilter* findFilter(const QString& className) const;
    QList<HxSaveFilter*> getFilters() const;

    // Runs the whole export; true when a file was written. Cancelling any
    // step writes nothing and is not an error.
    bool exportWith(HxSaveFilter* filter);

    // How the file name is asked (default: a save dialog that adds the
    // filter's extension) and where messages go (default: a warning box).
    // Tests and batch runs replace them.
    using FileNameChooser = std::function<QString(HxSaveFilter* filter, const QString& suggestion)>;
    using Reporter = std::function<void(const QString& title, const QString& message)>;
    void setFileNameChooser(FileNameChooser chooser) { m_chooser = std::move(chooser); }
    void setReporter(Reporter reporter) { m_reporter = std::move(reporter); }

    // The settings key under which the last folder of an export is kept.
    static QString folderKey();

signals:
    void filterAdded(HxSaveFilter* filter);
    // After a successful export.
    void exported(HxSaveFilter* filter, const QString& fileName);

private:
    QString askFileName(HxSaveFilter* filter, const QString& suggestion) const;
    void report(const QString& title, const QString& message) const;

    QWidget* m_dialogParent;
    std::vector<std::unique_ptr<HxSaveFilter>> m_filters;
    FileNameChooser m_chooser;
    Reporter m_reporter;
};
