// The built kio.dll as a COM server: loaded from a directory of its own, its
// exports called by name, registered by this host and by the system's regsvr32.
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "com_server_test_support.h"

namespace kio::binding::test {
namespace {

constexpr wchar_t kTestLibraryId[] = L"{6D3B1F0E-2A47-4C1B-9E3A-5B2C7D8E9F10}";
constexpr const wchar_t* kTypeLibraryPlatform = sizeof(void*) == 8 ? L"win64" : L"win32";
constexpr HRESULT kClassNotAvailable = static_cast<HRESULT>(0x80040111);
constexpr HRESULT kNullPointer = static_cast<HRESULT>(0x80004003);

std::wstring TypeLibraryKey() { return std::wstring(L"TypeLib\\") + kTestLibraryId; }

// What a registration left under the test library's key, or nothing.
struct Registration {
    bool present = false;
    std::wstring path;
    std::wstring helpDirectory;
};

Registration ReadRegistration() {
    const std::wstring version = TypeLibraryKey() + L"\\1.0";
    Registration registration;
    registration.present = KeyExists(HKEY_CLASSES_ROOT, TypeLibraryKey());
    registration.path =
        ReadDefaultValue(HKEY_CLASSES_ROOT, version + L"\\0\\" + kTypeLibraryPlatform);
    registration.helpDirectory = ReadDefaultValue(HKEY_CLASSES_ROOT, version + L"\\HELPDIR");
    return registration;
}

// The library's registry script, never applied, would make these.
void ExpectNoApplicationIdentifier() {
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"AppID\\kio.DLL"));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"AppID\\kio.dll"));
}

class ComServerTest : public ::testing::Test {
protected:
    ScratchDirectory directory_;
};

TEST_F(ComServerTest, ClassObjectsAreNeverHandedOut) {
    const LoadedLibrary library(directory_.Install(ShippedLibraryPath(), L"kio.dll"));
    const auto getClassObject = library.Export<GetClassObjectFunction>("DllGetClassObject");
    const GUID someClass = {0x12345678, 0x1234, 0x5678, {1, 2, 3, 4, 5, 6, 7, 8}};
    for (const GUID* classId : {&GUID_NULL, &someClass, &IID_IUnknown}) {
        for (const IID* interfaceId : {&IID_IClassFactory, &IID_IUnknown, &GUID_NULL}) {
            void* object = &directory_;
            EXPECT_EQ(getClassObject(*classId, *interfaceId, &object), kClassNotAvailable);
            EXPECT_EQ(object, nullptr);
            EXPECT_EQ(getClassObject(*classId, *interfaceId, nullptr), kNullPointer);
        }
    }
}

TEST_F(ComServerTest, DllMainAnswersTrueToEveryReasonAndChangesNothing) {
    const LoadedLibrary library(directory_.Install(ShippedLibraryPath(), L"kio.dll"));
    const auto dllMain = library.Export<DllMainFunction>("DllMain");
    const auto canUnloadNow = library.Export<HResultFunction>("DllCanUnloadNow");
    const auto getClassObject = library.Export<GetClassObjectFunction>("DllGetClassObject");
    EXPECT_EQ(canUnloadNow(), S_OK);
    for (const DWORD reason :
         {DLL_PROCESS_DETACH, DLL_PROCESS_ATTACH, DLL_THREAD_ATTACH, DLL_THREAD_DETACH}) {
        EXPECT_EQ(dllMain(library.Handle(), reason, nullptr), TRUE) << reason;
        // A detach reason does not shut the records down.
        void* object = nullptr;
        EXPECT_EQ(getClassObject(GUID_NULL, IID_IClassFactory, &object), kClassNotAvailable);
        EXPECT_EQ(canUnloadNow(), S_OK);
    }
}

TEST_F(ComServerTest, StartUpRunsInOrderAndShutDownInReverse) {
    LifecycleLog log;
    {
        const LoadedLibrary library(directory_.Install(HookedLibraryPath(), L"kio.dll"));
        EXPECT_EQ(log.Read(), "BaseModule up;TextStorage up;ComModule up;DllModule up;");
    }
    EXPECT_EQ(log.Read(),
              "BaseModule up;TextStorage up;ComModule up;DllModule up;"
              "DllModule down;ComModule down;TextStorage down;BaseModule down;");
}

TEST_F(ComServerTest, FailedLockCreationRefusesTheLoadAfterShuttingEverythingDown) {
    const std::wstring path = directory_.Install(HookedLibraryPath(), L"kio.dll");
    for (const char* failing :
         {"BaseModule=8", "ComModule=8", "DllModule=5", "BaseModule=14;DllModule=8"}) {
        LifecycleLog log;
        SetEnvironmentVariableA("KIO_TEST_FAIL_LOCK", failing);
        const HMODULE module = LoadLibraryW(path.c_str());
        const DWORD error = GetLastError();
        SetEnvironmentVariableA("KIO_TEST_FAIL_LOCK", nullptr);
        EXPECT_EQ(module, nullptr) << failing;
        EXPECT_EQ(error, static_cast<DWORD>(ERROR_DLL_INIT_FAILED)) << failing;
        if (module != nullptr) {
            FreeLibrary(module);
        }
        EXPECT_EQ(log.Read(),
                  "BaseModule up;TextStorage up;ComModule up;DllModule up;"
                  "DllModule down;ComModule down;TextStorage down;BaseModule down;")
            << failing;
    }
}

TEST_F(ComServerTest, RegisteringWithoutTypeLibraryFailsAndLeavesTheRegistryAlone) {
    const LoadedLibrary library(directory_.Install(ShippedLibraryPath(), L"kio.dll"));
    const std::set<std::wstring> before = SubkeyNames(HKEY_CLASSES_ROOT, L"TypeLib");

    // The code of the second attempt: the .tlb path beside the library.
    ITypeLib* missing = nullptr;
    const HRESULT expected = LoadTypeLib(directory_.PathOf(L"kio.tlb").c_str(), &missing);
    ASSERT_TRUE(FAILED(expected));

    EXPECT_EQ(library.Export<HResultFunction>("DllRegisterServer")(), expected);
    EXPECT_EQ(library.Export<HResultFunction>("DllUnregisterServer")(), expected);
    EXPECT_EQ(SubkeyNames(HKEY_CLASSES_ROOT, L"TypeLib"), before);
    ExpectNoApplicationIdentifier();
}

TEST_F(ComServerTest, RegistersTheTypeLibraryBesideTheLibrary) {
    struct Case {
        const wchar_t* fileName;
        const wchar_t* loadName;  // a trailing "." keeps the loader from adding ".dll"
        const wchar_t* typeLibraryName;
    };
    const Case cases[] = {
        {L"kio.dll", L"kio.dll", L"kio.tlb"},
        {L"kio", L"kio.", L"kio.tlb"},  // no extension: ".tlb" is appended
        {L"kio.game.dll", L"kio.game.dll", L"kio.game.tlb"},
    };
    for (const Case& c : cases) {
        ScratchDirectory directory;
        directory.Install(ShippedLibraryPath(), c.fileName);
        const std::wstring typeLibrary =
            directory.Install(TestTypeLibraryPath(), c.typeLibraryName);
        const LoadedLibrary library(directory.PathOf(c.loadName));

        ASSERT_EQ(library.Export<HResultFunction>("DllRegisterServer")(), S_OK) << c.fileName;
        const Registration registered = ReadRegistration();
        EXPECT_TRUE(registered.present);
        EXPECT_EQ(registered.path, typeLibrary);
        EXPECT_EQ(registered.helpDirectory, directory.Path() + L"\\");
        ExpectNoApplicationIdentifier();

        EXPECT_EQ(library.Export<HResultFunction>("DllUnregisterServer")(), S_OK) << c.fileName;
        EXPECT_FALSE(ReadRegistration().present) << c.fileName;
        ExpectNoApplicationIdentifier();
    }
}

TEST_F(ComServerTest, PathsWithoutRoomForTheExtensionAreRefused) {
    // Without an extension the ".tlb" goes at the end of the path; with its
    // terminator it must fit the 260-character buffer.
    struct Case {
        size_t pathLength;
        bool refused;
    };
    const Case cases[] = {{255, false}, {256, true}, {259, true}};
    for (const Case& c : cases) {
        ScratchDirectory directory;
        const std::wstring deep = directory.MakeDeepDirectory(c.pathLength - 4);
        const std::wstring path = deep + L"\\kio";
        ASSERT_EQ(path.size(), c.pathLength);
        ASSERT_TRUE(CopyFileW(ShippedLibraryPath().c_str(), path.c_str(), TRUE));
        const LoadedLibrary library(path + L".");
        ITypeLib* missing = nullptr;
        const HRESULT notFound = LoadTypeLib((path + L".tlb").c_str(), &missing);
        EXPECT_EQ(library.Export<HResultFunction>("DllRegisterServer")(),
                  c.refused ? E_FAIL : notFound)
            << c.pathLength;
        DeleteFileW(path.c_str());
    }
}

TEST_F(ComServerTest, SystemRegistrationToolRegistersAndUnregisters) {
    const std::wstring library = directory_.Install(ShippedLibraryPath(), L"kio.dll");
    EXPECT_NE(RunRegistrationTool(L"/s", library), 0u);  // no type library yet
    EXPECT_FALSE(ReadRegistration().present);

    const std::wstring typeLibrary = directory_.Install(TestTypeLibraryPath(), L"kio.tlb");
    ASSERT_EQ(RunRegistrationTool(L"/s", library), 0u);
    const Registration registered = ReadRegistration();
    EXPECT_EQ(registered.path, typeLibrary);
    EXPECT_EQ(registered.helpDirectory, directory_.Path() + L"\\");
    ExpectNoApplicationIdentifier();

    ASSERT_EQ(RunRegistrationTool(L"/u /s", library), 0u);
    EXPECT_FALSE(ReadRegistration().present);
    ExpectNoApplicationIdentifier();
}

}  // namespace
}  // namespace kio::binding::test
