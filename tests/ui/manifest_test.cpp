#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "tests/ui/resource_data.h"

namespace {

std::string EmbeddedManifest() {
    // Windows reads the manifest of an exe from RT_MANIFEST number 1, whatever its language.
    const auto data = resources::FindAsLoaderChooses(RT_MANIFEST, 1);
    if (!data) {
        return {};
    }
    return std::string(reinterpret_cast<const char*>(data->bytes), data->size);
}

TEST(Manifest, IsEmbeddedAsTheProcessManifest) {
    const std::string manifest = EmbeddedManifest();
    ASSERT_FALSE(manifest.empty());
    EXPECT_EQ(0u, manifest.find("<?xml"));
}

TEST(Manifest, AsksForElevationSupportedSystemsAndCommonControls6) {
    const std::string manifest = EmbeddedManifest();
    const char* required[] = {
        R"(<requestedExecutionLevel level="requireAdministrator" uiAccess="false"/>)",
        R"(<supportedOS Id="{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"/>)", // Windows 7
        R"(<supportedOS Id="{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"/>)", // Windows 10 and 11
        R"(name="Microsoft.Windows.Common-Controls" version="6.0.0.0")",
        R"(publicKeyToken="6595b64144ccf1df")",
    };
    for (const char* text : required) {
        SCOPED_TRACE(text);
        EXPECT_NE(std::string::npos, manifest.find(text));
    }
}

// Windows builds the process's activation context from the manifest; a malformed one stops the
// program before it starts.
TEST(Manifest, WindowsBuildsAnActivationContextFromIt) {
    wchar_t exePath[MAX_PATH] = {};
    ASSERT_NE(0u, GetModuleFileNameW(nullptr, exePath, MAX_PATH));
    ACTCTXW request = {};
    request.cbSize = sizeof request;
    request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID | ACTCTX_FLAG_HMODULE_VALID;
    request.lpSource = exePath;
    request.lpResourceName = MAKEINTRESOURCEW(1);
    request.hModule = GetModuleHandleW(nullptr);
    HANDLE context = CreateActCtxW(&request);
    ASSERT_NE(INVALID_HANDLE_VALUE, context) << GetLastError();
    ReleaseActCtx(context);
}

} // namespace
