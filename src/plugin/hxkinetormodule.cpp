#include "plugin/hxkinetormodule.h"

#include "plugin/hxkinetorfactory.h"

#include "io/hxkinetorelementdata.h"
#include "io/hxkinetorfilter.h"
#include "io/hxkinetorfilteraction.h"
#include "layer/hxkinetorlayer.h"
#include "model/hxkinetornodedata.h"
#include "model/hxkinetorpose.h"
#include "ui/hxkinetoraddlayeraction.h"
#include "ui/hxkinetorcenterviewaction.h"
#include "ui/hxkinetorclearlayeraction.h"
#include "ui/hxkinetorclearlayeranimationaction.h"
#include "ui/hxkinetordeletelayeraction.h"
#include "ui/hxkinetordeleteposeaction.h"
#include "ui/hxkinetorextendframesaction.h"
#include "ui/hxkinetorfillframesaction.h"
#include "ui/hxkinetorpane.h"
#include "ui/hxkinetorpaneaction.h"
#include "ui/hxkinetorplayaudioaction.h"
#include "ui/hxkinetorrenamelayeraction.h"
#include "ui/hxkinetorresetviewaction.h"
#include "ui/hxkinetorupdateposeaction.h"
#include "ui/hxkinetorzoomtofitaction.h"

namespace {

template <class T>
void addFactory(std::vector<std::unique_ptr<HxClassFactory>>& factories, HxPlugin& plugin, const HxGUID& guid)
{
    factories.push_back(std::make_unique<HxKinetorFactory<T>>(plugin, guid));
}

HxGUID id(const char* text)
{
    return HxGUID::fromString(QString::fromLatin1(text));
}

} // namespace

// The identifiers name the classes in scene files and to the host; they
// never change.
HxKinetorModule::HxKinetorModule() : m_plugin(QStringLiteral("Kinetor"), QString(), QString(), 0)
{
    m_plugin.setAuthor(QStringLiteral("hxkinetor developers"));
    m_plugin.setVersion(Version);
    auto& f = m_factories;
    addFactory<HxKinetorPane>(f, m_plugin, id("89F86E80-ADA4-433a-97E4-0C349C8D3E34"));
    addFactory<HxKinetorPaneAction>(f, m_plugin, id("2CE6D0DA-9ACF-4322-A86D-C40D6C75C386"));
    addFactory<HxKinetorFilter>(f, m_plugin, id("EA89B7C3-9109-4c84-8F98-C9D48D50B90D"));
    addFactory<HxKinetorFilterAction>(f, m_plugin, id("CBC5A459-AE74-41f9-A049-7C79DA052661"));
    addFactory<HxKinetorPlayAudioAction>(f, m_plugin, id("64E8F611-84C7-4277-8153-600833FAECB3"));
    addFactory<HxKinetorFillFramesAction>(f, m_plugin, id("6CD6BFA9-98B3-413f-8E3C-2B05FDD3434A"));
    addFactory<HxKinetorExtendFramesAction>(f, m_plugin, id("DEDC61FB-1458-4520-BD81-0CB343A25E05"));
    addFactory<HxKinetorZoomToFitAction>(f, m_plugin, id("2270F250-C4D1-423c-B05E-465A0F829DC0"));
    addFactory<HxKinetorResetViewAction>(f, m_plugin, id("A5C6BB7C-ECB5-4dc0-BCFD-70ADA2A12346"));
    addFactory<HxKinetorCenterViewAction>(f, m_plugin, id("D6BC9429-4CCA-4ff4-8E41-6B5B18D5E3C3"));
    addFactory<HxKinetorAddLayerAction>(f, m_plugin, id("91E71A1D-6B9A-4a8c-AD44-CC002F041D52"));
    addFactory<HxKinetorDeleteLayerAction>(f, m_plugin, id("80F42C66-C33B-4bf1-8E00-6BF8EFBCEE66"));
    addFactory<HxKinetorRenameLayerAction>(f, m_plugin, id("E03CB85D-3FDE-400e-A69B-CB48AACDD5C0"));
    addFactory<HxKinetorClearLayerAction>(f, m_plugin, id("FCF8BFA4-4639-4ed6-BE22-0CA729050728"));
    addFactory<HxKinetorClearLayerAnimationAction>(f, m_plugin, id("985E8CCB-EE41-44bd-A74A-760AE268A963"));
    addFactory<HxKinetorDeletePoseAction>(f, m_plugin, id("D9383834-AB55-4f9d-BF97-B1D641A8614B"));
    addFactory<HxKinetorUpdatePoseAction>(f, m_plugin, id("83499F83-A54D-4bf0-981B-BB3559B5FF5E"));
    addFactory<HxKinetorElementData>(f, m_plugin, HxGUID::fromLegacyClassID(0x10000014));
    addFactory<HxKinetorLayer>(f, m_plugin, HxGUID::fromLegacyClassID(0x10000015));
    // A factory-made pose has no node, so capturing gives it no records.
    f.push_back(std::make_unique<HxKinetorFactory<HxKinetorPose>>(
        m_plugin, HxGUID::fromLegacyClassID(0x10000016),
        [] { return new HxKinetorPose(0, 0, nullptr, true); }));
    addFactory<HxKinetorNodeData>(f, m_plugin, HxGUID::fromLegacyClassID(0x10000017));
}

HxKinetorModule::~HxKinetorModule()
{
    while (!m_factories.empty())
        m_factories.pop_back();
}
