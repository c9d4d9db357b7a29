#pragma once
// A clean shared state with transfer buffers and one simulated stack, for tests of the command
// layer. The supported drive sits at E: unless a test attaches others.

#include <gtest/gtest.h>

#include "drive/pass_through.h"
#include "drive/shared_state.h"
#include "sim/sim_storage_stack.h"
#include "tests/support/shared_state_scope.h"

class DriveChannelTest : public ::testing::Test {
protected:
    void SetUp() override {
        Stack().Reset();
        ASSERT_NE(g_pReadBuffer, nullptr);
        ASSERT_NE(g_pWriteBuffer, nullptr);
    }

    SharedStateScope state_;
    ScopedOverride<int> transport_{g_nTransport, TRANSPORT_PASS_THROUGH};

    static sim::SimStorageStack& Stack() { return sim::SimStorageStack::Instance(); }

    sim::SimDrive& AttachKestranAndOpen(char letter = 'E') {
        sim::SimDrive& drive = Stack().Attach(letter, sim::SimDrive::Kestran());
        g_hDrive = OpenDriveDevice(letter);
        EXPECT_NE(g_hDrive, nullptr);
        return drive;
    }
};
