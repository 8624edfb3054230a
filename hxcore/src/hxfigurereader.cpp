#include "hxcore/hxfigurereader.h"

#include "hxcore/hxbone.h"
#include "hxcore/hxfloatproperty.h"
#include "hxcore/hxmorph.h"
#include "hxcore/hxobject.h"
#include "hxcore/hxproperty.h"
#include "hxcore/hxrotationorder.h"
#include "hxcore/hxscene.h"
#include "hxcore/hxskeleton.h"

#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>

namespace {

// Figures are a few kilobytes, large rigs a few megabytes; anything far
// larger is not a figure file and is refused before it is read into memory.
// The cap holds while reading, since devices and pipes report no size.
constexpr qint64 kMaxFileSize = HxFigureReader::MaxFileSize;
// Names and lists quoted in messages are cut to this, so a hostile file
// cannot make a message of megabytes.
constexpr qsizetype kMaxQuotedLength = 80;
constexpr qsizetype kMaxMessageLength = 1000;

// Thrown from deep inside the parser and caught at the top, so every check is
// one line and nothing half-built survives: whatever was created so far is
// held by unique_ptrs or by the figure under construction.
struct FigureError
{
    QString where;
    QString what;
};

[[noreturn]] void fail(const QString& where, const QString& what)
{
    throw FigureError{where, what};
}

QString member(const QString& path, const QString& key)
{
    return path.isEmpty() ? key : path + QLatin1Char('.') + key;
}

QString element(const QString& path, qsizetype index)
{
    return path + QLatin1Char('[') + QString::number(index) + QLatin1Char(']');
}

QString clip(const QString& text, qsizetype length)
{
    return text.size() <= length ? text : text.left(length) + QStringLiteral("...");
}

QString quoted(const QString& text)
{
    return QLatin1Char('"') + clip(text, kMaxQuotedLength) + QLatin1Char('"');
}

QString describe(const QJsonValue& value)
{
    switch (value.type()) {
    case QJsonValue::Null:
        return QStringLiteral("null");
    case QJsonValue::Bool:
        return QStringLiteral("a boolean");
    case QJsonValue::Double:
        return QStringLiteral("the number %1").arg(value.toDouble());
    case QJsonValue::String:
        return QStringLiteral("the string %1").arg(quoted(value.toString()));
    case QJsonValue::Array:
        return QStringLiteral("an array");
    case QJsonValue::Object:
        return QStringLiteral("an object");
    case QJsonValue::Undefined:
        break;
    }
    return QStringLiteral("nothing");
}

// The JSON parser keeps only the last of repeated keys, silently dropping
// the others (and whatever the author meant by them), so the text is
// scanned for them first. Runs on text the parser has accepted, so it only
// needs to tell keys from values; it walks the text once, without recursion.
class DuplicateKeyScanner
{
public:
    explicit DuplicateKeyScanner(const QByteArray& json) : m_json(json) {}

    // True when a key repeats; then *where is the object's path.
    bool find(QString* where, QString* key)
    {
        const qsizetype size = m_json.size();
        for (qsizetype i = 0; i < size; ++i) {
            const char c = m_json.at(i);
            switch (c) {
            case '{':
            case '[':
                if (!m_frames.empty() && !m_frames.back().object)
                    ++m_frames.back().index;
                m_frames.push_back(Frame{c == '{', c == '{', -1, {}, {}, {}});
                break;
            case '}':
            case ']':
                m_frames.pop_back();
                break;
            case ',':
                if (!m_frames.empty() && m_frames.back().object)
                    m_frames.back().expectKey = true;
                break;
            case '"': {
                const bool isKey = !m_frames.empty() && m_frames.back().object && m_frames.back().expectKey;
                const QString text = readString(i, isKey);
                if (!isKey) {
                    if (!m_frames.empty() && !m_frames.back().object)
                        ++m_frames.back().index;
                    break;
                }
                Frame& frame = m_frames.back();
                frame.expectKey = false;
                if (frame.has(text)) {
                    *where = path();
                    *key = text;
                    return true;
                }
                frame.add(text);
                frame.key = text;
                break;
            }
            default:
                // A number or literal inside an array is one more element.
                if (!m_frames.empty() && !m_frames.back().object &&
                    (c == '-' || c == 't' || c == 'f' || c == 'n' || (c >= '0' && c <= '9'))) {
                    ++m_frames.back().index;
                    while (i + 1 < size && !strchr(",]} \t\r\n", m_json.at(i + 1)))
                        ++i;
                }
                break;
            }
        }
        return false;
    }

private:
    struct Frame
    {
        bool object;
        bool expectKey;
        qsizetype index;
        QString key;
        // Most objects have a handful of keys; a set only for large ones.
        std::vector<QString> keys;
        QSet<QString> keySet;

        bool has(const QString& name) const
        {
            return keySet.isEmpty() ? std::find(keys.begin(), keys.end(), name) != keys.end()
                                    : keySet.contains(name);
        }
        void add(const QString& name)
        {
            if (!keySet.isEmpty()) {
                keySet.insert(name);
                return;
            }
            keys.push_back(name);
            if (keys.size() > 16) {
                keySet = QSet<QString>(keys.begin(), keys.end());
                keys.clear();
            }
        }
    };

    // Leaves i on the closing quote; decodes only when asked.
    QString readString(qsizetype& i, bool decode)
    {
        QString text;
        qsizetype start = ++i;
        const auto flush = [&](qsizetype end) {
            if (decode)
                text += QString::fromUtf8(m_json.constData() + start, end - start);
        };
        for (; i < m_json.size() && m_json.at(i) != '"'; ++i) {
            if (m_json.at(i) != '\\')
                continue;
            flush(i);
            const char escaped = i + 1 < m_json.size() ? m_json.at(i + 1) : '\\';
            if (escaped == 'u' && i + 5 < m_json.size()) {
                if (decode)
                    text += QChar(char16_t(m_json.mid(i + 2, 4).toUShort(nullptr, 16)));
                i += 5;
            } else {
                if (decode) {
                    static const QByteArray from = "bfnrt";
                    static const char to[] = "\b\f\n\r\t";
                    const qsizetype at = from.indexOf(escaped);
                    text += QLatin1Char(at >= 0 ? to[at] : escaped);
                }
                i += 1;
            }
            start = i + 1;
        }
        flush(i);
        return text;
    }

    QString path() const
    {
        QString result;
        for (std::size_t f = 0; f + 1 < m_frames.size(); ++f) {
            const Frame& frame = m_frames[f];
            result = frame.object ? member(result, frame.key) : element(result, frame.index);
        }
        return result.isEmpty() ? QStringLiteral("top level") : result;
    }

    const QByteArray& m_json;
    std::vector<Frame> m_frames;
};

QString rotationOrderNames()
{
    QStringList names;
    for (int i = 0; i < 6; ++i)
        names << hxRotationOrderName(static_cast<HxRotationOrder>(i));
    return names.join(QStringLiteral(", "));
}

class FigureParser
{
public:
    std::unique_ptr<HxSkeleton> parse(const QJsonObject& root);

private:
    struct BoneEntry
    {
        QString name;
        std::optional<QString> parent;
    };

    static void checkKeys(const QJsonObject& object, const QString& path, const QStringList& allowed);
    static QJsonObject toObject(const QJsonValue& value, const QString& path);
    static QJsonArray toArray(const QJsonValue& value, const QString& path);
    static QString toName(const QJsonValue& value, const QString& path);
    static QString requiredName(const QJsonObject& object, const QString& path);
    static QString optionalString(const QJsonObject& object, const QString& key, const QString& path,
                                  const QString& fallback);
    static bool optionalBool(const QJsonObject& object, const QString& key, const QString& path,
                             bool fallback);
    static float toNumber(const QJsonValue& value, const QString& path);
    static std::optional<float> optionalNumber(const QJsonObject& object, const QString& key,
                                               const QString& path);
    static HxVec3 toPoint(const QJsonObject& object, const QString& key, const QString& path);

    void readNode(HxNode* node, const QJsonObject& object, const QString& path);
    void readObject(HxNode* node, const QJsonValue& value, const QString& path);
    void readProperties(HxNode* node, const QJsonValue& value, const QString& path);
    void collectBones(const QJsonArray& bones, const QString& path);
    static QString describeChain(const QStringList& chain);
    int resolve(const QJsonObject& bone, const QString& key, int self, const QString& path, bool isParent);
    std::unique_ptr<HxBone> readBone(HxSkeleton* figure, const QJsonObject& object, int index,
                                     const QString& path);

    QList<BoneEntry> m_bones;
    QHash<QString, int> m_boneIndex;
};

void FigureParser::checkKeys(const QJsonObject& object, const QString& path, const QStringList& allowed)
{
    // A misspelt key would otherwise be skipped silently and its value lost.
    for (auto it = object.begin(); it != object.end(); ++it)
        if (!allowed.contains(it.key()))
            fail(path.isEmpty() ? QStringLiteral("top level") : path,
                 QStringLiteral("unknown key %1 (expected one of %2)")
                     .arg(quoted(it.key()), allowed.join(QStringLiteral(", "))));
}

QJsonObject FigureParser::toObject(const QJsonValue& value, const QString& path)
{
    if (!value.isObject())
        fail(path, QStringLiteral("expected an object, found %1").arg(describe(value)));
    return value.toObject();
}

QJsonArray FigureParser::toArray(const QJsonValue& value, const QString& path)
{
    if (!value.isArray())
        fail(path, QStringLiteral("expected an array, found %1").arg(describe(value)));
    return value.toArray();
}

QString FigureParser::toName(const QJsonValue& value, const QString& path)
{
    if (!value.isString())
        fail(path, QStringLiteral("expected a name (a string), found %1").arg(describe(value)));
    const QString name = value.toString();
    if (name.trimmed().isEmpty())
        fail(path, QStringLiteral("the name is empty"));
    return name;
}

QString FigureParser::requiredName(const QJsonObject& object, const QString& path)
{
    if (!object.contains(QLatin1String("name")))
        fail(path, QStringLiteral("missing key \"name\""));
    return toName(object.value(QLatin1String("name")), member(path, QStringLiteral("name")));
}

QString FigureParser::optionalString(const QJsonObject& object, const QString& key, const QString& path,
                                     const QString& fallback)
{
    if (!object.contains(key))
        return fallback;
    const QJsonValue value = object.value(key);
    if (!value.isString())
        fail(member(path, key), QStringLiteral("expected a string, found %1").arg(describe(value)));
    return value.toString();
}

bool FigureParser::optionalBool(const QJsonObject& object, const QString& key, const QString& path,
                                bool fallback)
{
    if (!object.contains(key))
        return fallback;
    const QJsonValue value = object.value(key);
    if (!value.isBool())
        fail(member(path, key), QStringLiteral("expected true or false, found %1").arg(describe(value)));
    return value.toBool();
}

float FigureParser::toNumber(const QJsonValue& value, const QString& path)
{
    if (!value.isDouble())
        fail(path, QStringLiteral("expected a number, found %1").arg(describe(value)));
    const double number = value.toDouble();
    // The JSON parser refuses infinities, but a finite double can still
    // overflow the float every property stores.
    if (!std::isfinite(number) || std::fabs(number) > double(std::numeric_limits<float>::max()))
        fail(path, QStringLiteral("the number %1 is out of range").arg(number));
    return float(number);
}

std::optional<float> FigureParser::optionalNumber(const QJsonObject& object, const QString& key,
                                                  const QString& path)
{
    if (!object.contains(key))
        return std::nullopt;
    return toNumber(object.value(key), member(path, key));
}

HxVec3 FigureParser::toPoint(const QJsonObject& object, const QString& key, const QString& path)
{
    const QString where = member(path, key);
    if (!object.contains(key))
        fail(path, QStringLiteral("missing key %1").arg(quoted(key)));
    const QJsonArray xyz = toArray(object.value(key), where);
    if (xyz.size() != 3)
        fail(where, QStringLiteral("expected 3 numbers [x, y, z], found %1").arg(xyz.size()));
    return HxVec3(toNumber(xyz.at(0), element(where, 0)), toNumber(xyz.at(1), element(where, 1)),
                  toNumber(xyz.at(2), element(where, 2)));
}

// What figures and bones share: rotation order, hidden flag, object with
// morphs, extra properties.
void FigureParser::readNode(HxNode* node, const QJsonObject& object, const QString& path)
{
    if (object.contains(QLatin1String("rotationOrder"))) {
        const QString where = member(path, QStringLiteral("rotationOrder"));
        const QJsonValue value = object.value(QLatin1String("rotationOrder"));
        HxRotationOrder order = HxRotationOrder::XYZ;
        if (!value.isString() || !hxRotationOrderFromName(value.toString(), &order))
            fail(where, QStringLiteral("%1 is not a rotation order (expected one of %2)")
                            .arg(describe(value), rotationOrderNames()));
        node->setRotationOrder(order);
    }
    node->setHidden(optionalBool(object, QStringLiteral("hidden"), path, false));
    if (object.contains(QLatin1String("object")))
        readObject(node, object.value(QLatin1String("object")), member(path, QStringLiteral("object")));
    if (object.contains(QLatin1String("properties")))
        readProperties(node, object.value(QLatin1String("properties")),
                       member(path, QStringLiteral("properties")));
}

void FigureParser::readObject(HxNode* node, const QJsonValue& value, const QString& path)
{
    const QJsonObject object = toObject(value, path);
    checkKeys(object, path, {QStringLiteral("name"), QStringLiteral("morphs")});
    QString name = node->objectName();
    if (object.contains(QLatin1String("name")))
        name = toName(object.value(QLatin1String("name")), member(path, QStringLiteral("name")));
    auto geometry = std::make_unique<HxObject>(name);

    const QString morphsPath = member(path, QStringLiteral("morphs"));
    const QJsonArray morphs = object.contains(QLatin1String("morphs"))
                                  ? toArray(object.value(QLatin1String("morphs")), morphsPath)
                                  : QJsonArray();
    QHash<QString, int> seen;
    for (qsizetype i = 0; i < morphs.size(); ++i) {
        const QString where = element(morphsPath, i);
        const QJsonObject entry = toObject(morphs.at(i), where);
        checkKeys(entry, where,
                  {QStringLiteral("name"), QStringLiteral("label"), QStringLiteral("min"),
                   QStringLiteral("max"), QStringLiteral("clamp"), QStringLiteral("value")});
        const QString morphName = requiredName(entry, where);
        if (seen.contains(morphName))
            fail(member(where, QStringLiteral("name")),
                 QStringLiteral("duplicate morph name %1 (first used by %2)")
                     .arg(quoted(morphName), element(morphsPath, seen.value(morphName))));
        seen.insert(morphName, int(i));
        const QString label = optionalString(entry, QStringLiteral("label"), where, morphName);
        // Morphs are dialled between 0 and 1 unless the file says otherwise.
        const float minValue = optionalNumber(entry, QStringLiteral("min"), where).value_or(0.0f);
        const float maxValue = optionalNumber(entry, QStringLiteral("max"), where).value_or(1.0f);
        if (minValue > maxValue)
            fail(where, QStringLiteral("min %1 is greater than max %2").arg(minValue).arg(maxValue));
        const bool clamp = optionalBool(entry, QStringLiteral("clamp"), where, true);
        const float initial = optionalNumber(entry, QStringLiteral("value"), where).value_or(0.0f);
        if (clamp && (initial < minValue || initial > maxValue))
            fail(member(where, QStringLiteral("value")),
                 QStringLiteral("the value %1 lies outside the limits [%2, %3]")
                     .arg(initial)
                     .arg(minValue)
                     .arg(maxValue));

        auto morph = std::make_unique<HxMorph>(morphName, label);
        HxFloatProperty* channel = morph->getValueChannel();
        channel->setLimits(minValue, maxValue, clamp);
        // Straight into the state: a figure being read is not an edit, and an
        // open undo hold must not collect it.
        channel->restoreState(HxFloatProperty::State{initial, {}});
        geometry->addItem(morph.release());
    }
    node->setObject(geometry.release());
}

void FigureParser::readProperties(HxNode* node, const QJsonValue& value, const QString& path)
{
    const QJsonArray properties = toArray(value, path);
    // Names find properties again (scripts, saved scenes), so they must not
    // repeat; the transform controls' names are taken as well. A set, since
    // rigs carry tens of thousands of properties.
    QSet<QString> taken;
    taken.reserve(node->getNumProperties() + properties.size());
    for (int i = 0; i < node->getNumProperties(); ++i)
        taken.insert(node->getProperty(i)->objectName());
    for (qsizetype i = 0; i < properties.size(); ++i) {
        const QString where = element(path, i);
        const QJsonObject entry = toObject(properties.at(i), where);
        checkKeys(entry, where,
                  {QStringLiteral("name"), QStringLiteral("label"), QStringLiteral("hidden"),
                   QStringLiteral("canAnimate"), QStringLiteral("value"), QStringLiteral("min"),
                   QStringLiteral("max"), QStringLiteral("clamp")});
        const QString name = requiredName(entry, where);
        if (taken.contains(name))
            fail(member(where, QStringLiteral("name")), QStringLiteral("%1 already has a property named %2")
                                                            .arg(quoted(node->objectName()), quoted(name)));
        taken.insert(name);
        const QString label = optionalString(entry, QStringLiteral("label"), where, name);
        const float initial = optionalNumber(entry, QStringLiteral("value"), where).value_or(0.0f);
        const std::optional<float> minValue = optionalNumber(entry, QStringLiteral("min"), where);
        const std::optional<float> maxValue = optionalNumber(entry, QStringLiteral("max"), where);
        if (minValue.has_value() != maxValue.has_value())
            fail(where, QStringLiteral("limits need both \"min\" and \"max\""));
        const bool clamp = optionalBool(entry, QStringLiteral("clamp"), where, minValue.has_value());
        if (clamp && !minValue)
            fail(member(where, QStringLiteral("clamp")),
                 QStringLiteral("clamping needs \"min\" and \"max\""));
        if (minValue && *minValue > *maxValue)
            fail(where, QStringLiteral("min %1 is greater than max %2").arg(*minValue).arg(*maxValue));
        if (clamp && (initial < *minValue || initial > *maxValue))
            fail(member(where, QStringLiteral("value")),
                 QStringLiteral("the value %1 lies outside the limits [%2, %3]")
                     .arg(initial)
                     .arg(*minValue)
                     .arg(*maxValue));

        auto property = std::make_unique<HxFloatProperty>(node, name, label, initial);
        property->setHidden(optionalBool(entry, QStringLiteral("hidden"), where, false));
        property->setCanAnimate(optionalBool(entry, QStringLiteral("canAnimate"), where, true));
        if (minValue)
            property->setLimits(*minValue, *maxValue, clamp);
        node->addProperty(property.release());
    }
}

// A long cycle is shown by its first and last few bones and its length.
QString FigureParser::describeChain(const QStringList& chain)
{
    constexpr qsizetype kShown = 6;
    QStringList shown;
    const auto add = [&shown](const QString& name) {
        shown << clip(name, kMaxQuotedLength);
    };
    if (chain.size() <= 2 * kShown) {
        std::for_each(chain.begin(), chain.end(), add);
        return shown.join(QStringLiteral(" -> "));
    }
    std::for_each(chain.begin(), chain.begin() + kShown, add);
    shown << QStringLiteral("... (%1 more bones) ...").arg(chain.size() - 2 * kShown);
    std::for_each(chain.end() - kShown, chain.end(), add);
    return shown.join(QStringLiteral(" -> "));
}

// First pass: every bone's name, so that the second pass can tell an unknown
// name from one defined later and can name the bones of a parent cycle.
void FigureParser::collectBones(const QJsonArray& bones, const QString& path)
{
    for (qsizetype i = 0; i < bones.size(); ++i) {
        const QString where = element(path, i);
        const QJsonObject bone = toObject(bones.at(i), where);
        BoneEntry entry;
        entry.name = requiredName(bone, where);
        if (m_boneIndex.contains(entry.name))
            fail(member(where, QStringLiteral("name")),
                 QStringLiteral("duplicate bone name %1 (first used by %2)")
                     .arg(quoted(entry.name), element(path, m_boneIndex.value(entry.name))));
        const QJsonValue parent = bone.value(QLatin1String("parent"));
        if (parent.isString())
            entry.parent = parent.toString();
        m_boneIndex.insert(entry.name, int(i));
        m_bones.append(entry);
    }
}

// Parents and followed bones must be defined before the bones that name them.
// That keeps the figure's bone list in an order where every parent comes
// first (which the scene and every walk over the bones rely on) and makes a
// cycle impossible by construction; a cycle in a file shows up as a name that
// is defined later, reported as the cycle it is.
int FigureParser::resolve(const QJsonObject& bone, const QString& key, int self, const QString& path,
                          bool isParent)
{
    const QJsonValue value = bone.value(key);
    if (value.isUndefined() || value.isNull())
        return -1;
    const QString where = member(path, key);
    const QString name = toName(value, where);
    const QString& selfName = m_bones.at(self).name;
    const auto found = m_boneIndex.constFind(name);
    if (found == m_boneIndex.cend())
        fail(where, QStringLiteral("unknown bone %1").arg(quoted(name)));
    const int index = found.value();
    if (index == self)
        fail(where, isParent ? QStringLiteral("bone %1 cannot be its own parent").arg(quoted(selfName))
                             : QStringLiteral("bone %1 cannot follow itself").arg(quoted(selfName)));
    if (index < self)
        return index;

    if (isParent) {
        QStringList chain{selfName, name};
        QSet<int> visited{self};
        for (int at = index; !visited.contains(at);) {
            visited.insert(at);
            const std::optional<QString>& next = m_bones.at(at).parent;
            if (!next || !m_boneIndex.contains(*next))
                break;
            at = m_boneIndex.value(*next);
            chain << *next;
            if (at == self)
                fail(where, QStringLiteral("cycle of parents: %1").arg(describeChain(chain)));
        }
    }
    fail(where,
         QStringLiteral("bone %1 is defined later (bones[%2]); %3 must come before the bones that name it")
             .arg(quoted(name))
             .arg(index)
             .arg(isParent ? QStringLiteral("a parent") : QStringLiteral("a followed bone")));
}

std::unique_ptr<HxBone> FigureParser::readBone(HxSkeleton* figure, const QJsonObject& object, int index,
                                               const QString& path)
{
    checkKeys(object, path,
              {QStringLiteral("name"), QStringLiteral("parent"), QStringLiteral("follow"),
               QStringLiteral("rotationOrder"), QStringLiteral("hidden"), QStringLiteral("origin"),
               QStringLiteral("end"), QStringLiteral("object"), QStringLiteral("properties")});
    auto bone = std::make_unique<HxBone>(m_bones.at(index).name);
    const int parent = resolve(object, QStringLiteral("parent"), index, path, true);
    const int follow = resolve(object, QStringLiteral("follow"), index, path, false);
    const HxVec3 origin = toPoint(object, QStringLiteral("origin"), path);
    const HxVec3 end = toPoint(object, QStringLiteral("end"), path);
    readNode(bone.get(), object, path);
    if (parent >= 0)
        bone->setParentBone(figure->getBone(parent));
    if (follow >= 0)
        bone->setFollowBone(figure->getBone(follow));
    bone->setRestGeometry(origin, end);
    return bone;
}

std::unique_ptr<HxSkeleton> FigureParser::parse(const QJsonObject& root)
{
    checkKeys(root, QString(),
              {QStringLiteral("version"), QStringLiteral("description"), QStringLiteral("name"),
               QStringLiteral("rotationOrder"), QStringLiteral("hidden"), QStringLiteral("object"),
               QStringLiteral("properties"), QStringLiteral("bones")});
    if (root.contains(QLatin1String("version"))) {
        const QJsonValue version = root.value(QLatin1String("version"));
        if (!version.isDouble() || version.toDouble() != HxFigureReader::FormatVersion)
            fail(QStringLiteral("version"),
                 QStringLiteral("unsupported version %1 (this reader reads version %2)")
                     .arg(version.isDouble() ? QString::number(version.toDouble()) : describe(version))
                     .arg(HxFigureReader::FormatVersion));
    }
    optionalString(root, QStringLiteral("description"), QString(), QString());

    auto figure = std::make_unique<HxSkeleton>(requiredName(root, QString()));
    readNode(figure.get(), root, QString());

    if (!root.contains(QLatin1String("bones")))
        fail(QStringLiteral("top level"), QStringLiteral("missing key \"bones\""));
    const QString bonesPath = QStringLiteral("bones");
    const QJsonArray bones = toArray(root.value(QLatin1String("bones")), bonesPath);
    collectBones(bones, bonesPath);
    for (qsizetype i = 0; i < bones.size(); ++i)
        figure->addBone(
            readBone(figure.get(), bones.at(i).toObject(), int(i), element(bonesPath, i)).release());
    return figure;
}

QString format(const QString& source, const QString& where, const QString& what)
{
    return clip(QStringLiteral("%1: %2: %3").arg(source, where, what), kMaxMessageLength);
}

void report(QString* error, const QString& message)
{
    if (error)
        *error = message;
}

} // namespace

std::unique_ptr<HxSkeleton> HxFigureReader::read(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        report(error, QStringLiteral("%1: cannot open the file: %2").arg(path, file.errorString()));
        return nullptr;
    }
    // Devices and pipes report a size of 0 and may never end, so the cap is
    // applied to what is read, not to what the file claims.
    QByteArray data;
    while (data.size() <= kMaxFileSize) {
        // A pipe hands its data over in pieces; an empty piece is its end.
        const QByteArray piece = file.read(kMaxFileSize + 1 - data.size());
        if (piece.isEmpty())
            break;
        data += piece;
    }
    if (file.error() != QFileDevice::NoError) {
        report(error, QStringLiteral("%1: cannot read the file: %2").arg(path, file.errorString()));
        return nullptr;
    }
    if (data.size() > kMaxFileSize) {
        report(error, QStringLiteral("%1: the file is too large for a figure (more than %2 MB)")
                          .arg(path)
                          .arg(kMaxFileSize >> 20));
        return nullptr;
    }
    return fromJson(data, path, error);
}

std::unique_ptr<HxSkeleton> HxFigureReader::fromJson(const QByteArray& json, const QString& sourceName,
                                                     QString* error)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        const qsizetype offset = std::clamp<qsizetype>(parseError.offset, 0, json.size());
        const QByteArray before = json.left(offset);
        const qsizetype line = before.count('\n') + 1;
        const qsizetype column = offset - (before.lastIndexOf('\n') + 1) + 1;
        report(error, format(sourceName, QStringLiteral("line %1, column %2").arg(line).arg(column),
                             QStringLiteral("not valid JSON: %1").arg(parseError.errorString())));
        return nullptr;
    }
    QString where;
    QString key;
    if (DuplicateKeyScanner(json).find(&where, &key)) {
        report(error, format(sourceName, where, QStringLiteral("duplicate key %1").arg(quoted(key))));
        return nullptr;
    }
    if (!document.isObject()) {
        report(error,
               format(sourceName, QStringLiteral("top level"),
                      QStringLiteral("expected a JSON object, found %1")
                          .arg(document.isArray() ? QStringLiteral("an array") : QStringLiteral("nothing"))));
        return nullptr;
    }
    try {
        FigureParser parser;
        return parser.parse(document.object());
    } catch (const FigureError& failure) {
        report(error, format(sourceName, failure.where, failure.what));
    }
    return nullptr;
}

HxSkeleton* HxFigureReader::addToScene(const QString& path, HxScene* scene, QString* error)
{
    if (!scene)
        scene = hxScene;
    if (!scene) {
        report(error, QStringLiteral("%1: there is no scene to add the figure to").arg(path));
        return nullptr;
    }
    std::unique_ptr<HxSkeleton> figure = read(path, error);
    if (!figure)
        return nullptr;
    HxSkeleton* added = figure.get();
    scene->addNode(figure.release());
    return added;
}
