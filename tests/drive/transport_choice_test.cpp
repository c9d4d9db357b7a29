#include <gtest/gtest.h>

#include <windows.h>

#include "aspi_test_support.h"
#include "drive/aspi_transport.h"
#include "drive/shared_state.h"
#include "tests/support/shared_state_scope.h"

namespace {

// This program runs as Wine's default NT system; the Windows 98 runs are in aspi_transport_test.
TEST(TransportChoice, NtFamilyUsesPassThroughAndLoadsNoLibrary) {
    SharedStateScope state(TransferBuffers::None);
    TakeDiagLog();
    SelectTransport();
    EXPECT_EQ(TRANSPORT_PASS_THROUGH, g_nTransport);
    EXPECT_EQ(nullptr, g_hAspiLib);
    EXPECT_EQ(nullptr, GetModuleHandleA("wnaspi32"));
    EXPECT_TRUE(TakeDiagLog().empty());
}

} // namespace
