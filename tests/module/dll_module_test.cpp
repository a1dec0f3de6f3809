// DllModule's operations, driven directly: nothing in the library calls most of them.
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "dll_module.h"
#include "test_hooks.h"

namespace kio::module {
namespace {

TEST(DllModuleTest, LockCountStartsAtZeroAndFollowsAddAndRelease) {
    bool initFailed = false;
    DllModule module(initFailed);
    EXPECT_FALSE(initFailed);
    EXPECT_TRUE(module.IsLive());

    struct Step {
        bool add;
        LONG expected;
    };
    // The count is signed: releasing below zero is reported, not clamped.
    const Step steps[] = {{true, 1}, {true, 2}, {false, 1}, {false, 0}, {false, -1}, {true, 0}};
    EXPECT_EQ(module.QueryLockCount(), 0);
    for (const Step& step : steps) {
        EXPECT_EQ(step.add ? module.AddLock() : module.ReleaseLock(), step.expected);
        EXPECT_EQ(module.QueryLockCount(), step.expected);
    }
}

TEST(DllModuleTest, LockCountChangesAtomically) {
    bool initFailed = false;
    DllModule module(initFailed);
    constexpr int kThreads = 4;
    constexpr int kRounds = 20000;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&module] {
            for (int i = 0; i < kRounds; ++i) {
                module.AddLock();
            }
            for (int i = 0; i < kRounds / 2; ++i) {
                module.ReleaseLock();
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(module.QueryLockCount(), kThreads * kRounds / 2);
}

TEST(DllModuleTest, GlobalInterfaceTableNeedsAnOutPointer) {
    bool initFailed = false;
    DllModule module(initFailed);
    EXPECT_EQ(module.GetGlobalInterfaceTable(nullptr), E_POINTER);
}

TEST(DllModuleTest, GlobalInterfaceTableCreationFailurePassesThrough) {
    bool initFailed = false;
    DllModule module(initFailed);
    // COM is not initialised on this thread, so the creation fails.
    std::thread([&module] {
        auto* sentinel = reinterpret_cast<IGlobalInterfaceTable*>(0x1);
        IGlobalInterfaceTable* table = sentinel;
        EXPECT_EQ(module.GetGlobalInterfaceTable(&table), CO_E_NOTINITIALIZED);
        EXPECT_EQ(table, nullptr);
    }).join();
}

TEST(DllModuleTest, GlobalInterfaceTableIsCreatedOnceAndShared) {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)));
    {
        bool initFailed = false;
        DllModule module(initFailed);
        IGlobalInterfaceTable* first = nullptr;
        IGlobalInterfaceTable* second = nullptr;
        ASSERT_EQ(module.GetGlobalInterfaceTable(&first), S_OK);
        ASSERT_EQ(module.GetGlobalInterfaceTable(&second), S_OK);
        ASSERT_NE(first, nullptr);
        EXPECT_EQ(first, second);

        // What is handed out is the system's global interface table.
        IGlobalInterfaceTable* queried = nullptr;
        ASSERT_EQ(
            first->QueryInterface(IID_IGlobalInterfaceTable, reinterpret_cast<void**>(&queried)),
            S_OK);
        EXPECT_EQ(queried, first);
        queried->Release();
        first->Release();
        second->Release();
        // The module releases its own reference while COM is still up.
        module.ShutDown();
    }
    CoUninitialize();
}

// Records what a registry script processor was asked and answers `result`.
class RecordingProcessor : public IRegistryScriptReplacements {
public:
    explicit RecordingProcessor(HRESULT result) : result_(result) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE AddReplacement(LPCOLESTR key, LPCOLESTR item) override {
        calls.emplace_back(key, item);
        return result_;
    }
    HRESULT STDMETHODCALLTYPE ClearReplacements() override {
        ++clears;
        return S_OK;
    }

    std::vector<std::pair<std::wstring, std::wstring>> calls;
    int clears = 0;

private:
    HRESULT result_;
};

TEST(DllModuleTest, ScriptReplacementsMakeAppIdEmptyAndReturnTheProcessorsResult) {
    bool initFailed = false;
    DllModule module(initFailed);
    for (const HRESULT answer : {S_OK, S_FALSE, E_OUTOFMEMORY, E_ACCESSDENIED}) {
        RecordingProcessor processor(answer);
        EXPECT_EQ(module.AddScriptReplacements(&processor), answer);
        ASSERT_EQ(processor.calls.size(), 1u);
        EXPECT_EQ(processor.calls[0].first, L"APPID");
        EXPECT_EQ(processor.calls[0].second, L"");
        EXPECT_EQ(processor.clears, 0);
    }
    EXPECT_EQ(module.AddScriptReplacements(nullptr), E_POINTER);
}

std::vector<DWORD_PTR>* terminationOrder = nullptr;
void __stdcall NoteTermination(DWORD_PTR argument) { terminationOrder->push_back(argument); }

TEST(DllModuleTest, ShutDownRunsTerminationFunctionsNewestFirstAndOnlyOnce) {
    std::vector<DWORD_PTR> order;
    terminationOrder = &order;
    {
        bool initFailed = false;
        DllModule module(initFailed);
        for (DWORD_PTR argument : {1, 2, 3}) {
            ASSERT_EQ(module.AddTerminationFunction(&NoteTermination, argument), S_OK);
        }
        EXPECT_TRUE(order.empty());
        module.ShutDown();
        EXPECT_EQ(order, (std::vector<DWORD_PTR>{3, 2, 1}));
        EXPECT_FALSE(module.IsLive());
        module.ShutDown();
    }
    // The destructor's shut-down found the record already shut down.
    EXPECT_EQ(order.size(), 3u);
    terminationOrder = nullptr;
}

TEST(DllModuleTest, FailedLockCreationSetsInitFailed) {
    ASSERT_TRUE(SetEnvironmentVariableA(kFailLockVariable, "DllModule=8"));
    bool initFailed = false;
    {
        DllModule module(initFailed);
        // Still a usable record: the library would refuse to load instead.
        EXPECT_EQ(module.AddLock(), 1);
    }
    SetEnvironmentVariableA(kFailLockVariable, nullptr);
    EXPECT_TRUE(initFailed);
}

}  // namespace
}  // namespace kio::module
