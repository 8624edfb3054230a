#include "ui/hxkinetorviewoptions.h"

#include "hxcore/hxapp.h"

#include <QMenu>
#include <QSettings>

namespace {

QSettings* settings()
{
    return hxApp ? hxApp->getSettings() : nullptr;
}

} // namespace

HxKinetorViewOptions::HxKinetorViewOptions(QObject* parent) : QObject(parent)
{
    if (QSettings* stored = settings()) {
        for (int i = 0; i < OptionCount; ++i)
            m_on[std::size_t(i)] = stored->value(settingsKey(Option(i)), false).toBool();
    }
}

HxKinetorViewOptions::~HxKinetorViewOptions() = default;

bool HxKinetorViewOptions::isOn(Option option) const
{
    return option >= 0 && option < OptionCount && m_on[std::size_t(option)];
}

void HxKinetorViewOptions::setOn(Option option, bool on)
{
    if (option < 0 || option >= OptionCount || m_on[std::size_t(option)] == on)
        return;
    m_on[std::size_t(option)] = on;
    if (QSettings* stored = settings())
        stored->setValue(settingsKey(option), on);
    emit changed(option, on);
}

QString HxKinetorViewOptions::label(Option option)
{
    switch (option) {
    case Weights:
        return tr("Blend Weights");
    case WeightNumbers:
        return tr("Weight Values");
    case Influence:
        return tr("Influence of Selected Dot");
    case Coverage:
        return tr("Area Covered by Dots");
    case CursorPath:
        return tr("Cursor Path");
    case DotNumbers:
        return tr("Dot Numbers");
    case CanvasHints:
        return tr("Canvas Hints");
    case KeepCursorInside:
        return tr("Keep Cursor Inside Dots");
    case OptionCount:
        break;
    }
    return QString();
}

QString HxKinetorViewOptions::settingsKey(Option option)
{
    static const char* const keys[OptionCount] = {"weights",     "weightNumbers",   "influence",
                                                  "coverage",    "cursorPath",      "dotNumbers",
                                                  "canvasHints", "keepCursorInside"};
    if (option < 0 || option >= OptionCount)
        return QString();
    return QStringLiteral("Kinetor/Canvas/") + QLatin1String(keys[option]);
}

QMenu* HxKinetorViewOptions::createMenu(QWidget* parent)
{
    auto* menu = new QMenu(tr("Show"), parent);
    menu->menuAction()->setObjectName(QStringLiteral("KinetorShowMenu"));
    for (int i = 0; i < OptionCount; ++i) {
        const auto option = Option(i);
        // The clamp changes what a drag does rather than what is shown.
        if (option == KeepCursorInside)
            menu->addSeparator();
        QAction* entry = menu->addAction(label(option));
        QString key = settingsKey(option).section(QLatin1Char('/'), -1);
        key[0] = key[0].toUpper();
        entry->setObjectName(QStringLiteral("KinetorShow") + key);
        entry->setCheckable(true);
        entry->setChecked(isOn(option));
        connect(entry, &QAction::toggled, this, [this, option](bool on) { setOn(option, on); });
        connect(this, &HxKinetorViewOptions::changed, entry, [entry, option](Option changed, bool on) {
            if (changed == option)
                entry->setChecked(on);
        });
    }
    return menu;
}
