// A null graphics device and a clean resource cache for the model library tests.
#pragma once

#include <gtest/gtest.h>

#include "support/singletons.h"
#include "render/graphics_device.h"
#include "simplelib/resource_cache.h"

class ModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        testsupport::ResetSingletons();
        ASSERT_TRUE(GraphicsDevice::Instance().InitNull(1280, 720));
    }
    void TearDown() override { testsupport::ResetSingletons(); }
};
