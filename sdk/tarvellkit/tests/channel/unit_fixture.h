// The fixture of the tests that run the channel against scripted peers.
#pragma once

#include "peers.h"
#include "test_support.h"

class ChannelTest : public ChannelFixture {
protected:
    void SetUp() override {
        peers::Reset();
        ChannelFixture::SetUp();
    }
    void TearDown() override {
        ChannelFixture::TearDown();
        peers::Reset();
    }
};
