#include "hxcore/hxscenefile.h"

#include "hxfileformat.h"
#include "hxscenerecord.h"

#include "hxcore/hxapp.h"
#include "hxcore/hxbase.h"
#include "hxcore/hxclassfactory.h"
#include "hxcore/hxguid.h"
#include "hxcore/hxinfile.h"
#include "hxcore/hxnode.h"
#include "hxcore/hxoutfile.h"
#include "hxcore/hxscene.h"
#include "hxcore/hxscript.h"
#include "hxcore/hxscriptengine.h"
#include "hxcore/hxskeleton.h"
#include "hxcore/hxundostack.h"

#include <QFile>
#include <QPointer>
#include <QSaveFile>
#include <QSet>
#include <QUndoStack>
#include <exception>
#include <vector>

namespace {

using namespace HxFileFormat;

struct SectionSpan
{
    short id;
    qsizetype start;
    qsizetype end;
};

struct Record
{
    HxGUID guid;
    quint32 id;
    qsizetype offset;
    std::vector<SectionSpan> sections;
};

QString hex(short id)
{
    return QStringLiteral("0x%1").arg(quint16(id), 4, 16, QLatin1Char('0'));
}

// Walks the whole file before a single object is made: header, every
// record's length and checksum, every section's length, the end record.
class Scanner
{
public:
    Scanner(const QByteArray& data, const QString& source) : m_data(data), m_source(source) {}

    bool scan(std::vector<Record>& records);
    QString error() const { return m_error; }
    quint32 version() const { return m_version; }

private:
    bool fail(qsizetype offset, const QString& what)
    {
        m_error = QStringLiteral("%1: byte %2: %3").arg(m_source).arg(offset).arg(what);
        return false;
    }
    bool scanSections(Record& record, qsizetype start, qsizetype end);

    const QByteArray& m_data;
    QString m_source;
    QString m_error;
    quint32 m_version = 0;
};

bool Scanner::scan(std::vector<Record>& records)
{
    const char* bytes = m_data.constData();
    const qsizetype size = m_data.size();
    if (size < qsizetype(sizeof Magic) || std::memcmp(bytes, Magic, sizeof Magic) != 0)
        return fail(0, QStringLiteral("not a scene file (it does not start with \"HXSCENE\")"));
    if (size < HeaderSize)
        return fail(size, QStringLiteral("the file ends inside its header"));
    m_version = readU32(bytes + 8);
    if (m_version > Version)
        return fail(8,
                    QStringLiteral("written in format version %1, newer than the version %2 this host reads")
                        .arg(m_version)
                        .arg(Version));
    if (m_version == 0)
        return fail(8, QStringLiteral("format version 0 does not exist"));
    if (const quint32 flags = readU32(bytes + 12); flags != 0)
        return fail(12, QStringLiteral("unknown header flags 0x%1").arg(flags, 0, 16));

    QSet<quint32> ids;
    qsizetype pos = HeaderSize;
    for (;;) {
        if (pos == size)
            return fail(pos, QStringLiteral("the file ends before its end record (it was cut short)"));
        if (size - pos < RecordHeaderSize)
            return fail(pos, QStringLiteral("the file ends inside an object's header"));
        const quint32 id = readU32(bytes + pos + GuidSize);
        const quint32 length = readU32(bytes + pos + GuidSize + 4);
        const qsizetype available = size - pos - RecordHeaderSize - ChecksumSize;
        if (qsizetype(length) > available)
            return fail(pos + GuidSize + 4,
                        QStringLiteral("object %1 claims %2 bytes but only %3 remain in the file")
                            .arg(id)
                            .arg(length)
                            .arg(std::max<qsizetype>(available, 0)));
        const qsizetype end = pos + RecordHeaderSize + qsizetype(length);
        if (crc32(0, bytes + pos, end - pos) != readU32(bytes + end))
            return fail(pos, QStringLiteral("object %1 is damaged (its checksum does not match)").arg(id));
        const HxGUID guid(QUuid::fromRfc4122(QByteArrayView(bytes + pos, GuidSize)));
        if (id == 0) {
            if (!guid.isNull() || length != 4)
                return fail(pos, QStringLiteral("an object has the id 0"));
            const quint32 count = readU32(bytes + pos + RecordHeaderSize);
            if (count != records.size())
                return fail(pos, QStringLiteral("the end record counts %1 objects but the file holds %2")
                                     .arg(count)
                                     .arg(records.size()));
            if (end + ChecksumSize != size)
                return fail(end + ChecksumSize,
                            QStringLiteral("%1 bytes follow the end record").arg(size - end - ChecksumSize));
            return true;
        }
        if (ids.contains(id))
            return fail(pos + GuidSize, QStringLiteral("the object id %1 is used twice").arg(id));
        ids.insert(id);
        Record record{guid, id, pos, {}};
        if (!scanSections(record, pos + RecordHeaderSize, end))
            return false;
        records.push_back(std::move(record));
        pos = end + ChecksumSize;
    }
}

bool Scanner::scanSections(Record& record, qsizetype start, qsizetype end)
{
    const char* bytes = m_data.constData();
    for (qsizetype pos = start; pos < end;) {
        if (end - pos < SectionHeaderSize)
            return fail(pos, QStringLiteral("object %1 ends inside a section header").arg(record.id));
        const short id = readI16(bytes + pos);
        const quint32 length = readU32(bytes + pos + 2);
        const qsizetype left = end - pos - SectionHeaderSize;
        if (qsizetype(length) > left)
            return fail(pos + 2,
                        QStringLiteral("section %1 of object %2 claims %3 bytes but only %4 remain in the "
                                       "object")
                            .arg(hex(id))
                            .arg(record.id)
                            .arg(length)
                            .arg(left));
        record.sections.push_back(SectionSpan{id, pos + SectionHeaderSize, pos + SectionHeaderSize + length});
        pos += SectionHeaderSize + qsizetype(length);
    }
    return true;
}

QString describe(const std::exception_ptr& thrown)
{
    try {
        std::rethrow_exception(thrown);
    } catch (const QString& text) {
        return QStringLiteral("\"%1\"").arg(text);
    } catch (const std::exception& error) {
        return QStringLiteral("\"%1\"").arg(QString::fromLocal8Bit(error.what()));
    } catch (...) {
    }
    return QStringLiteral("an exception");
}

} // namespace

HxSceneFile::HxSceneFile() = default;

HxSceneFile::~HxSceneFile() = default;

QByteArray HxSceneFile::toBytes(HxScene* scene)
{
    if (!scene)
        scene = hxScene;
    HxScript script;
    if (hxApp)
        emit hxApp->saveStateScript(script);
    HxSceneRecord record;
    if (scene)
        record.capture(scene, script.text());
    HxOutFile out;
    out.writeHeader();
    out.writeObject(&record);
    out.finish();
    return out.data();
}

bool HxSceneFile::save(const QString& path)
{
    m_error.clear();
    const QByteArray bytes = toBytes();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        m_error = QStringLiteral("%1: cannot write the scene: %2").arg(path, file.errorString());
        return false;
    }
    if (file.write(bytes) != bytes.size()) {
        m_error = QStringLiteral("%1: cannot write the scene: %2").arg(path, file.errorString());
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        m_error = QStringLiteral("%1: cannot finish writing the scene: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

bool HxSceneFile::load(const QString& path)
{
    m_error.clear();
    m_warnings.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_error = QStringLiteral("%1: cannot open the scene: %2").arg(path, file.errorString());
        return false;
    }
    if (file.size() > MaxFileSize) {
        m_error =
            QStringLiteral("%1: the file is too large for a scene (%2 bytes)").arg(path).arg(file.size());
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        m_error = QStringLiteral("%1: cannot read the scene: %2").arg(path, file.errorString());
        return false;
    }
    return loadBytes(bytes, path);
}

bool HxSceneFile::loadBytes(const QByteArray& data, const QString& sourceName)
{
    m_error.clear();
    m_warnings.clear();
    m_audioFileName.clear();
    if (!hxApp || !hxScene) {
        m_error = QStringLiteral("%1: there is no application to read the scene into").arg(sourceName);
        return false;
    }

    Scanner scanner(data, sourceName);
    std::vector<Record> records;
    if (!scanner.scan(records)) {
        m_error = scanner.error();
        return false;
    }

    // Made, read and linked aside: nothing below touches the open scene
    // until the whole file has been read.
    HxInFile in(data, sourceName);
    in.m_version = scanner.version();
    std::vector<QPointer<HxBase>> made;
    QHash<quint32, QPointer<HxBase>> byId;
    QSet<quint32> skipped;
    HxSceneRecord* sceneRecord = nullptr;
    const auto discard = [&made] {
        // Before linking nothing owns anything else but through Qt
        // parents, so last made first is a safe order.
        for (auto it = made.rbegin(); it != made.rend(); ++it)
            delete it->data();
    };
    const auto failAt = [this, &sourceName](qsizetype offset, const QString& what) {
        m_error = QStringLiteral("%1: byte %2: %3").arg(sourceName).arg(offset).arg(what);
        return false;
    };

    for (const Record& record : records) {
        HxClassFactory* factory = record.guid.isNull() ? nullptr : hxApp->findFactory(record.guid);
        // Only storables: a file naming a pane's or an action's class must
        // not get one made.
        const QMetaObject* meta = factory ? factory->getMetaObject() : nullptr;
        if (!meta || !meta->inherits(&HxBase::staticMetaObject))
            factory = nullptr;
        QObject* created = nullptr;
        if (factory) {
            try {
                created = factory->create();
            } catch (...) {
                const QString what = describe(std::current_exception());
                discard();
                return failAt(record.offset, QStringLiteral("making object %1 (%2) threw %3")
                                                 .arg(record.id)
                                                 .arg(factory->getClassName(), what));
            }
        }
        auto* object = qobject_cast<HxBase*>(created);
        if (!object) {
            delete created;
            skipped.insert(record.id);
            m_warnings.append(QStringLiteral("%1: byte %2: skipped object %3 of unknown class %4")
                                  .arg(sourceName)
                                  .arg(record.offset)
                                  .arg(record.id)
                                  .arg(record.guid.toString()));
            continue;
        }
        made.emplace_back(object);
        byId.insert(record.id, object);
        if (auto* scene = qobject_cast<HxSceneRecord*>(object)) {
            if (!sceneRecord)
                sceneRecord = scene;
            else
                m_warnings.append(QStringLiteral("%1: byte %2: skipped a second scene record")
                                      .arg(sourceName)
                                      .arg(record.offset));
        }
        for (const SectionSpan& section : record.sections) {
            in.beginSection(object, section.id, section.start, section.end);
            try {
                object->loadSection(&in, section.id);
            } catch (...) {
                const QString what = describe(std::current_exception());
                in.endSection();
                failAt(section.start,
                       QStringLiteral("a %1 threw %2 while reading section %3 of object %4")
                           .arg(QLatin1String(object->metaObject()->className()), what, hex(section.id))
                           .arg(record.id));
                discard();
                return false;
            }
            in.endSection();
            if (in.failed()) {
                m_error = in.errorString();
                discard();
                return false;
            }
        }
    }

    for (auto it = in.m_embedded.cbegin(); it != in.m_embedded.cend(); ++it) {
        if (byId.contains(it.key()) || skipped.contains(it.key())) {
            discard();
            return failAt(HeaderSize, QStringLiteral("the object id %1 is used twice").arg(it.key()));
        }
        byId.insert(it.key(), it.value());
    }
    for (const HxInFile::PointerRef& ref : in.m_pointers) {
        if (ref.target != 0 && !byId.contains(ref.target) && !skipped.contains(ref.target)) {
            failAt(ref.offset, QStringLiteral("a %1 points at object %2, which the file does not hold")
                                   .arg(QLatin1String(ref.reader->metaObject()->className()))
                                   .arg(ref.target));
            discard();
            return false;
        }
    }
    if (!sceneRecord) {
        discard();
        return failAt(HeaderSize, QStringLiteral("the file holds no scene record"));
    }

    // Linking cannot fail the file any more: a link an object refuses (or
    // throws over) is reported and left out, as an unknown section is.
    QHash<HxBase*, QPointer<HxBase>> readers;
    for (const QPointer<HxBase>& object : made)
        readers.insert(object.data(), object);
    for (const HxInFile::PointerRef& ref : in.m_pointers) {
        HxBase* reader = readers.value(ref.reader);
        if (!reader)
            continue;
        HxBase* target = ref.target ? byId.value(ref.target).data() : nullptr;
        if (ref.target && !target && !skipped.contains(ref.target))
            continue; // made but deleted meanwhile by a link that replaced it
        in.m_pos = ref.offset;
        try {
            reader->setPointer(&in, ref.section, ref.index, target);
        } catch (...) {
            in.warn(QStringLiteral("a %1 threw %2 while taking a pointer of section %3")
                        .arg(QLatin1String(reader->metaObject()->className()),
                             describe(std::current_exception()), hex(ref.section)));
        }
    }
    in.m_pos = 0;

    // The file is whole: the open scene makes way for it.
    HxScene* scene = hxScene;
    scene->clear();
    scene->setAudio(nullptr);
    scene->setAudioStartFrame(sceneRecord->audioStartFrame);
    scene->setTimeStep(sceneRecord->timeStep);
    scene->setPlayRange(sceneRecord->playRange);
    scene->setAnimRange(sceneRecord->animRange);
    for (const QPointer<HxNode>& node : std::as_const(sceneRecord->nodes)) {
        if (!node || node->parent() || scene->nodes().contains(node.data()))
            continue;
        if (HxSkeleton* figure = node->getSkeleton(); figure && static_cast<HxNode*>(figure) != node.data())
            continue; // a bone comes with its figure
        scene->addNode(node);
    }
    scene->setTime(sceneRecord->time);
    scene->setPrimarySelection(sceneRecord->selection);
    m_audioFileName = sceneRecord->audioFileName;

    // Last made first: the objects a container points at are stored after
    // it, so they are complete when the container finishes its own load.
    for (auto it = made.rbegin(); it != made.rend(); ++it) {
        HxBase* object = it->data();
        if (!object)
            continue;
        try {
            object->postLoadFile(&in);
        } catch (...) {
            in.warn(QStringLiteral("a %1 threw %2 after the file was read")
                        .arg(QLatin1String(object->metaObject()->className()),
                             describe(std::current_exception())));
        }
    }
    // Nodes no figure and no scene took stay with the scene object, so they
    // are freed with it and links to them stay valid meanwhile.
    for (const QPointer<HxBase>& object : made) {
        auto* node = qobject_cast<HxNode*>(object.data());
        if (!node || node->parent() || scene->nodes().contains(node))
            continue;
        if (!node->getSkeleton() || static_cast<HxNode*>(node->getSkeleton()) == node)
            node->setParent(scene);
    }
    const QString stateScript = sceneRecord->stateScript;
    delete sceneRecord;

    if (!stateScript.trimmed().isEmpty()) {
        HxScriptEngine engine;
        engine.setInteractive(false);
        if (!engine.run(stateScript, sourceName + QStringLiteral(" (state script)")))
            in.warn(QStringLiteral("the state script failed: %1").arg(engine.lastError()));
    }
    // Reading is no step a person could undo, and what came before
    // belongs to another scene.
    if (hxUndoStack) {
        hxUndoStack->clear();
        hxUndoStack->undoStack()->setClean();
    }
    m_warnings.append(in.warnings());
    return true;
}
