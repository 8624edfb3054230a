#pragma once

#include "hxcore/hxapp.h"
#include "hxcore/hxaudioclip.h"
#include "hxcore/hxfigurereader.h"

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
    // The sample mannequin added to the application's scene; null, and a failure, when it does not load.
    static HxSkeleton* addMannequin()
    {
        QString error;
        HxSkeleton* figure =
            HxFigureReader::addToScene(sourcePath("samples/figures/mannequin.json"), nullptr, &error);
        EXPECT_NE(figure, nullptr) << error.toStdString();
        return figure;
    }

    QTemporaryDir m_scratch;
    std::unique_ptr<HxApp> m_app;
};

// A sound that plays nothing for 4800 ticks, named fileName, counting the live
// clips in *alive when given.
class HxSilentClip : public HxAudioClip
{
public:
    explicit HxSilentClip(int* alive = nullptr, const QString& fileName = QString())
        : m_alive(alive), m_fileName(fileName)
    {
        if (m_alive)
            ++*m_alive;
    }
    ~HxSilentClip() override
    {
        if (m_alive)
            --*m_alive;
    }
    HxTime getEndTime() const override { return 4800; }
    void seek(HxTime) override {}
    int getRate() const override { return 44100; }
    void setRate(double) override {}
    void play() override {}
    void stop() override {}
    QString getFileName() const override { return m_fileName; }

private:
    int* m_alive;
    QString m_fileName;
};
