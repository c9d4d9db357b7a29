#include <gtest/gtest.h>

#include <windows.h>

#include "aspi_test_support.h"
#include "drive/aspi_transport.h"
#include "drive/shared_state.h"

namespace {

// This program runs as Wine's default NT system; the Windows 98 runs are in aspi_transport_test.
TEST(TransportChoice, NtFamilyUsesPassThroughAndLoadsNoLibrary) {
    TakeDiagLog();
    g_nTransport = TRANSPORT_NONE;
    SelectTransport();
    EXPECT_EQ(TRANSPORT_PASS_THROUGH, g_nTransport);
    EXPECT_EQ(nullptr, g_hAspiLib);
    EXPECT_EQ(nullptr, GetModuleHandleA("wnaspi32"));
    EXPECT_TRUE(TakeDiagLog().empty());
    g_nTransport = TRANSPORT_NONE;
}

} // namespace
