// The resources of the built kio.dll, read from the file as data: nothing of
// the library runs.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "com_server_test_support.h"
#include "kio_version.h"

namespace kio::binding::test {
namespace {

constexpr WORD kJapanese = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);

// The project's version, which the version block must carry.
constexpr DWORD kVersionMs = MAKELONG(KIO_VERSION_MINOR, KIO_VERSION_MAJOR);
constexpr DWORD kVersionLs = MAKELONG(KIO_VERSION_TWEAK, KIO_VERSION_PATCH);
constexpr const wchar_t* kVersionText = L"" KIO_VERSION_STRING;

// The registry script, byte for byte.
constexpr std::string_view kRegistryScript =
    "HKCR\r\n"
    "{\r\n"
    "\tNoRemove AppID\r\n"
    "\t{\r\n"
    "\t\t'%APPID%' = s 'kio'\r\n"
    "\t\t'kio.DLL'\r\n"
    "\t\t{\r\n"
    "\t\t\tval AppID = s '%APPID%'\r\n"
    "\t\t}\r\n"
    "\t}\r\n"
    "}\r\n";

class ResourceFile {
public:
    ResourceFile()
        : module_(LoadLibraryExW(ShippedLibraryPath().c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE)) {}
    ~ResourceFile() {
        if (module_ != nullptr) {
            FreeLibrary(module_);
        }
    }
    ResourceFile(const ResourceFile&) = delete;
    ResourceFile& operator=(const ResourceFile&) = delete;

    bool Loaded() const { return module_ != nullptr; }

    // The resource's bytes in Japanese, or nothing when it is missing.
    std::string_view Find(const wchar_t* type, const wchar_t* name) const {
        const HRSRC resource = FindResourceExW(module_, type, name, kJapanese);
        if (resource == nullptr) {
            return {};
        }
        const HGLOBAL data = LoadResource(module_, resource);
        return {static_cast<const char*>(LockResource(data)), SizeofResource(module_, resource)};
    }

private:
    HMODULE module_;
};

// String `id` of a string table block: 16 counted UTF-16 strings in a row.
std::wstring StringFromBlock(std::string_view block, UINT id) {
    const auto* cursor = reinterpret_cast<const WCHAR*>(block.data());
    const auto* end = cursor + block.size() / sizeof(WCHAR);
    for (UINT index = 0; cursor < end; ++index) {
        const WORD length = *cursor++;
        if (index == id % 16) {
            return std::wstring(cursor, std::min<size_t>(length, end - cursor));
        }
        cursor += length;
    }
    return {};
}

std::wstring VersionString(const std::vector<BYTE>& block, const std::wstring& name) {
    void* value = nullptr;
    UINT length = 0;
    const std::wstring query = L"\\StringFileInfo\\041103a4\\" + name;
    if (!VerQueryValueW(block.data(), query.c_str(), &value, &length) || length == 0) {
        return {};
    }
    return std::wstring(static_cast<const wchar_t*>(value), length - 1);
}

TEST(ResourcesTest, RegistryScriptIsEmbeddedByteForByte) {
    const ResourceFile file;
    ASSERT_TRUE(file.Loaded());
    const std::string_view script = file.Find(L"REGISTRY", MAKEINTRESOURCEW(101));
    EXPECT_EQ(script.size(), 111u);
    EXPECT_EQ(script, kRegistryScript);
}

TEST(ResourcesTest, StringTableNamesTheLibrary) {
    const ResourceFile file;
    ASSERT_TRUE(file.Loaded());
    const std::string_view block = file.Find(MAKEINTRESOURCEW(6), MAKEINTRESOURCEW(100 / 16 + 1));
    ASSERT_FALSE(block.empty());
    EXPECT_EQ(StringFromBlock(block, 100), L"kio");
}

TEST(ResourcesTest, VersionBlockDescribesTheLibrary) {
    const ResourceFile file;
    ASSERT_TRUE(file.Loaded());
    EXPECT_FALSE(file.Find(MAKEINTRESOURCEW(16), MAKEINTRESOURCEW(1)).empty());

    const std::wstring path = ShippedLibraryPath();
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &handle);
    ASSERT_NE(size, 0u);
    std::vector<BYTE> block(size);
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, block.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, kVersionMs);
    EXPECT_EQ(fixed->dwFileVersionLS, kVersionLs);
    EXPECT_EQ(fixed->dwProductVersionMS, kVersionMs);
    EXPECT_EQ(fixed->dwProductVersionLS, kVersionLs);
    EXPECT_EQ(fixed->dwFileFlagsMask, 0x1Fu);
    EXPECT_EQ(fixed->dwFileFlags, 0u);
    EXPECT_EQ(fixed->dwFileOS, static_cast<DWORD>(VOS__WINDOWS32));
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_DLL));
    EXPECT_EQ(fixed->dwFileSubtype, 0u);

    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&translation), &length));
    ASSERT_EQ(length, 4u);
    EXPECT_EQ(translation[0], 0x0411);
    EXPECT_EQ(translation[1], 0x03A4);

    struct Entry {
        const wchar_t* name;
        const wchar_t* value;
    };
    const Entry entries[] = {
        {L"FileVersion", kVersionText},        {L"ProductVersion", kVersionText},
        {L"InternalName", L"kio.dll"},         {L"OriginalFilename", L"kio.dll"},
        {L"CompanyName", L"kio contributors"},
    };
    for (const Entry& entry : entries) {
        EXPECT_EQ(VersionString(block, entry.name), entry.value);
    }
    EXPECT_FALSE(VersionString(block, L"LegalCopyright").empty());
}

}  // namespace
}  // namespace kio::binding::test
