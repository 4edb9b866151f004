#include "FakeHost.h"
#include "ProbeEffect.h"
#include "plugin/vst/PluginEntry.h"

#include <gtest/gtest.h>

namespace {

using vsttest::FakeHost;
using vsttest::ProbeEffect;

int factoryCalls = 0;
audioMasterCallback factoryHost = nullptr;

AudioEffect* makeProbe(audioMasterCallback host)
{
    ++factoryCalls;
    factoryHost = host;
    return new ProbeEffect(host);
}

AudioEffect* makeNothing(audioMasterCallback)
{
    ++factoryCalls;
    return nullptr;
}

class PluginEntryTest : public ::testing::Test {
protected:
    PluginEntryTest()
    {
        factoryCalls = 0;
        factoryHost = nullptr;
    }
    FakeHost host;
};

TEST_F(PluginEntryTest, HostWithAVersionGetsTheRecord)
{
    host.answers[audioMasterVersion] = 2400;
    AEffect* record = vst::createPluginEffect(FakeHost::callback, makeProbe);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->magic, kEffectMagic);
    EXPECT_EQ(factoryHost, FakeHost::callback);
    ASSERT_NE(host.last(audioMasterVersion), nullptr);
    EXPECT_EQ(host.last(audioMasterVersion)->effect, nullptr) << "asked before any effect exists";
    EXPECT_EQ(record->dispatcher(record, effClose, 0, 0, nullptr, 0.0f), 1);
}

TEST_F(PluginEntryTest, HostAnsweringVersionZeroGetsNothing)
{
    AEffect* record = vst::createPluginEffect(FakeHost::callback, makeProbe);
    EXPECT_EQ(record, nullptr);
    EXPECT_EQ(factoryCalls, 0) << "no object is built for such a host";
}

TEST_F(PluginEntryTest, MissingHostOrObjectGivesNull)
{
    host.answers[audioMasterVersion] = 2400;
    EXPECT_EQ(vst::createPluginEffect(nullptr, makeProbe), nullptr);
    EXPECT_EQ(vst::createPluginEffect(FakeHost::callback, nullptr), nullptr);
    EXPECT_EQ(vst::createPluginEffect(FakeHost::callback, makeNothing), nullptr);
    EXPECT_EQ(factoryCalls, 1);
}

} // namespace
