#include "hxfile.h"

HxFile::HxFile(const QString& fileName, QObject* parent) : QObject(parent), m_info(fileName) {}

HxFile::~HxFile() = default;
