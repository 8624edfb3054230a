#pragma once

#include "hxcore/hxapp.h"

#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

// A fresh host application per test, headless, with its settings in a
// scratch folder so tests never touch the user's.
class HxAppTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // A file under the source tree, such as "samples/figures/mannequin.json".
    static QString sourcePath(const QString& relative);

    QTemporaryDir m_scratch;
    std::unique_ptr<HxApp> m_app;
};
