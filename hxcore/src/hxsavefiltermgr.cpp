#include "hxcore/hxsavefiltermgr.h"

#include "hxcore/hxapp.h"
#include "hxcore/hxfileioframe.h"
#include "hxcore/hxsavefilter.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPointer>
#include <QSettings>
#include <QVBoxLayout>

HxSaveFilterMgr::HxSaveFilterMgr(QWidget* dialogParent, QObject* parent)
    : QObject(parent), m_dialogParent(dialogParent)
{}

HxSaveFilterMgr::~HxSaveFilterMgr() = default;

QString HxSaveFilterMgr::folderKey()
{
    return QStringLiteral("Files/lastExportFolder");
}

bool HxSaveFilterMgr::addFilter(HxSaveFilter* filter)
{
    if (!filter || findFilter(QString::fromLatin1(filter->metaObject()->className())))
        return false;
    m_filters.emplace_back(filter);
    emit filterAdded(filter);
    return true;
}

HxSaveFilter* HxSaveFilterMgr::findFilter(const QString& className) const
{
    for (const auto& filter : m_filters)
        if (QLatin1String(filter->metaObject()->className()) == className)
            return filter.get();
    return nullptr;
}

QList<HxSaveFilter*> HxSaveFilterMgr::getFilters() const
{
    QList<HxSaveFilter*> filters;
    for (const auto& filter : m_filters)
        filters.append(filter.get());
    return filters;
}

void HxSaveFilterMgr::report(const QString& title, const QString& message) const
{
    if (m_reporter)
        m_reporter(title, message);
    else
        QMessageBox::warning(m_dialogParent, title, message);
}

QString HxSaveFilterMgr::askFileName(HxSaveFilter* filter, const QString& suggestion) const
{
    if (m_chooser)
        return m_chooser(filter, suggestion);
    return QFileDialog::getSaveFileName(m_dialogParent, tr("Export %1").arg(filter->getDescription()),
                                        suggestion, filter->getFileDialogFilter());
}

bool HxSaveFilterMgr::exportWith(HxSaveFilter* filter)
{
    if (!filter)
        return false;
    const QString title = tr("Export %1").arg(filter->getDescription());
    const QString refusal = filter->getSaveError();
    if (!refusal.isNull()) {
        report(title, refusal);
        return false;
    }
    QSettings* settings = hxApp ? hxApp->getSettings() : nullptr;
    const QString group = QStringLiteral("Export/%1").arg(QLatin1String(filter->metaObject()->className()));

    // Filters signal a failed allocation with a thrown message; it must not
    // reach the event loop.
    try {
        QDialog dialog(m_dialogParent);
        if (HxFileIOFrame* frame = filter->createOptionsFrame()) {
            dialog.setObjectName(QStringLiteral("HxExportOptionsDialog"));
            dialog.setWindowTitle(frame->getLabel().isEmpty() ? title : frame->getLabel());
            auto* layout = new QVBoxLayout(&dialog);
            layout->addWidget(frame); // the dialog owns it from here
            auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
            connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
            connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
            layout->addWidget(buttons);
            if (settings) {
                settings->beginGroup(group);
                frame->readSettings(*settings);
                settings->endGroup();
            }
            if (dialog.exec() != QDialog::Accepted)
                return false;
            frame->applyOptions();
            if (settings) {
                settings->beginGroup(group);
                frame->writeSettings(*settings);
                settings->endGroup();
            }
        }

        QString folder = settings ? settings->value(folderKey()).toString() : QString();
        if (folder.isEmpty() || !QDir(folder).exists())
            folder = QDir::homePath();
        QString fileName = askFileName(filter, folder);
        if (fileName.isEmpty())
            return false;
        if (QFileInfo(fileName).suffix().isEmpty() && !filter->getFileExtension().isEmpty())
            fileName += QLatin1Char('.') + filter->getFileExtension();

        QVariantMap options;
        filter->getOptions(options);
        const unsigned int status = filter->writeToFile(fileName, HxSaveFilter::HostSaveMode, options);
        if (status != 0) {
            const QString why = filter->errorString();
            report(title, why.isEmpty()
                              ? tr("%1 was not written (status %2).").arg(fileName).arg(status)
                              : tr("%1 was not written: %2 (status %3)").arg(fileName, why).arg(status));
            return false;
        }
        if (settings)
            settings->setValue(folderKey(), QFileInfo(fileName).absolutePath());
        emit exported(filter, fileName);
        return true;
    } catch (const QString& thrown) {
        report(title, tr("The export stopped: %1").arg(thrown));
        return false;
    }
}
