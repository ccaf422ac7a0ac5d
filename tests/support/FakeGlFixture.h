#pragma once
// Tests of drawing code against the recording driver: the render-state cache
// starts fresh on the fake and lets go of it afterwards.

#include "platform/GLState.h"
#include "support/FakeGlApi.h"

#include <gtest/gtest.h>

class FakeGlFixture : public ::testing::Test {
protected:
    void SetUp() override {
        GLState::UseApi(&gl);
        GLState::Reset();
        gl.Clear();
    }
    void TearDown() override {
        GLState::SetContextAlive(false);
        GLState::UseApi(nullptr);
    }
    FakeGlApi gl;
};
