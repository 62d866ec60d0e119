// The version resource of each DLL, read back as Windows shows it in the file's properties
// and as installer engines compare it. Windows only: elsewhere the libraries carry none.
#include <gtest/gtest.h>

#if defined(_WIN32)
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "host/program_location.h"
#include "support/case_label.h"

namespace {

using testing_support::operator<<;

struct VersionField {
    const char* label;
    const char* library;
    const char* field;
    std::string expected;
};

const VersionField version_fields[] = {
    {"vantrel_file_version", "vantrel", "FileVersion", VANTREL_VERSION},
    {"vantrel_product_version", "vantrel", "ProductVersion", VANTREL_VERSION},
    {"vantrel_file_description", "vantrel", "FileDescription", VANTREL_DESCRIPTION},
    {"vantrel_original_filename", "vantrel", "OriginalFilename", "vantrel.dll"},
    {"vantrel_internal_name", "vantrel", "InternalName", "vantrel"},
    {"vantrel_product_name", "vantrel", "ProductName", VANTREL_PRODUCT_NAME},
    {"vantrel_legal_copyright", "vantrel", "LegalCopyright", VANTREL_COPYRIGHT},
    {"driver_file_version", "driver", "FileVersion", VANTREL_VERSION},
    {"driver_product_version", "driver", "ProductVersion", VANTREL_VERSION},
    {"driver_file_description", "driver", "FileDescription", DRIVER_DESCRIPTION},
    {"driver_original_filename", "driver", "OriginalFilename", "driver.dll"},
    {"driver_internal_name", "driver", "InternalName", "driver"},
    {"driver_product_name", "driver", "ProductName", VANTREL_PRODUCT_NAME},
    {"driver_legal_copyright", "driver", "LegalCopyright", VANTREL_COPYRIGHT},
    {"vantrel_msi_file_version", "vantrel_msi", "FileVersion", VANTREL_VERSION},
    {"vantrel_msi_file_description", "vantrel_msi", "FileDescription", VANTREL_MSI_DESCRIPTION},
    {"vantrel_msi_original_filename", "vantrel_msi", "OriginalFilename", "vantrel_msi.dll"},
};

// The whole version block of the project's library, or nothing when it has none.
std::vector<char> version_block(const std::string& library) {
    const std::string path = host::executable_directory() + host::library_file_name(library);
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    std::vector<char> block(size);
    if (size == 0 || !GetFileVersionInfoA(path.c_str(), 0, size, block.data())) block.clear();
    return block;
}

// A string of the block, looked up in the first language and code page it lists.
std::string version_string(std::vector<char>& block, const char* field) {
    WORD* translation = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                        &length) || length < 2 * sizeof(WORD)) {
        return "<no translation>";
    }
    char query[64];
    std::snprintf(query, sizeof query, "\\StringFileInfo\\%04x%04x\\%s", translation[0], translation[1], field);
    char* value = nullptr;
    if (!VerQueryValueA(block.data(), query, reinterpret_cast<void**>(&value), &length)) return "<missing>";
    return std::string(value, length > 0 ? length - 1 : 0);
}

class VersionResource : public ::testing::TestWithParam<VersionField> {};

TEST_P(VersionResource, ReadsBack) {
    const VersionField& c = GetParam();
    std::vector<char> block = version_block(c.library);
    ASSERT_FALSE(block.empty()) << c.library << " has no version resource";
    const std::string value = version_string(block, c.field);
    std::printf("%s %s = \"%s\"\n", c.library, c.field, value.c_str());
    EXPECT_EQ(value, c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, VersionResource, ::testing::ValuesIn(version_fields), testing_support::by_label);

// The numbers installer engines compare, which must say what the strings say: the file and
// product version as major.minor.patch.0, and a DLL.
class VersionNumbers : public ::testing::TestWithParam<const char*> {};

TEST_P(VersionNumbers, MatchTheProjectVersion) {
    std::vector<char> block = version_block(GetParam());
    ASSERT_FALSE(block.empty());
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    ASSERT_GE(length, sizeof(VS_FIXEDFILEINFO));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    unsigned major = 0, minor = 0, patch = 0;
    ASSERT_EQ(std::sscanf(VANTREL_VERSION, "%u.%u.%u", &major, &minor, &patch), 3);
    EXPECT_EQ(fixed->dwFileVersionMS, major << 16 | minor);
    EXPECT_EQ(fixed->dwFileVersionLS, patch << 16);
    EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
    EXPECT_EQ(fixed->dwProductVersionLS, fixed->dwFileVersionLS);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_DLL));
    EXPECT_EQ(fixed->dwFileFlags & fixed->dwFileFlagsMask, 0u) << "marked debug, pre-release or patched";
}

INSTANTIATE_TEST_SUITE_P(Libraries, VersionNumbers, ::testing::Values("vantrel", "driver", "vantrel_msi"));

}  // namespace
#endif
