// The records other than DllModule: lock creation and its failures, and the
// class object lookup of a library that serves no class.
#include <windows.h>
#include <objbase.h>
#include <unknwn.h>

#include <gtest/gtest.h>

#include "base_module.h"
#include "com_module.h"
#include "module_lock.h"
#include "test_hooks.h"

namespace kio::module {
namespace {

// Sets the lock failure hook for one scope.
class SimulatedLockFailures {
public:
    explicit SimulatedLockFailures(const char* items) {
        SetEnvironmentVariableA(kFailLockVariable, items);
    }
    ~SimulatedLockFailures() { SetEnvironmentVariableA(kFailLockVariable, nullptr); }
};

TEST(ModuleLockTest, FailureResultDependsOnTheSystemError) {
    struct Case {
        DWORD error;
        HRESULT expected;
    };
    const Case cases[] = {
        {ERROR_NOT_ENOUGH_MEMORY, E_OUTOFMEMORY},  // STATUS_NO_MEMORY as a system error
        {ERROR_OUTOFMEMORY, E_OUTOFMEMORY},       {ERROR_ACCESS_DENIED, E_FAIL},
        {ERROR_INVALID_PARAMETER, E_FAIL},        {ERROR_GEN_FAILURE, E_FAIL},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LockCreationFailure(c.error), c.expected) << c.error;
        const std::string hook = "Probe=" + std::to_string(c.error);
        SimulatedLockFailures failures(hook.c_str());
        ModuleLock lock("Probe");
        EXPECT_EQ(lock.CreationResult(), c.expected) << c.error;
    }
}

TEST(ModuleLockTest, CreatedLockCanBeTakenAndAnotherOwnersFailureDoesNotAffectIt) {
    SimulatedLockFailures failures("Other=8");
    ModuleLock lock("Probe");
    ASSERT_EQ(lock.CreationResult(), S_OK);
    ModuleLockGuard outer(lock);
    ModuleLockGuard inner(lock);  // re-entrant, as a critical section is
}

TEST(ModuleRecordTest, EachRecordReportsItsOwnLockFailure) {
    const HINSTANCE self = GetModuleHandleA(nullptr);
    struct Case {
        const char* failing;
        bool baseFailed;
        bool comFailed;
    };
    const Case cases[] = {
        {"", false, false},
        {"BaseModule=8", true, false},
        {"ComModule=5", false, true},
        {"BaseModule=8;ComModule=8", true, true},
    };
    for (const Case& c : cases) {
        SimulatedLockFailures failures(c.failing);
        bool baseInitFailed = false;
        bool comInitFailed = false;
        BaseModule base(self, baseInitFailed);
        ComModule com(self, comInitFailed);
        EXPECT_EQ(baseInitFailed, c.baseFailed) << c.failing;
        EXPECT_EQ(comInitFailed, c.comFailed) << c.failing;
        EXPECT_EQ(base.codeModule, self);
        EXPECT_EQ(base.resourceModule, self);
        EXPECT_EQ(com.TypeLibraryModule(), self);
    }
}

TEST(ComModuleTest, ClassObjectRequestsFollowTheRecordsState) {
    const GUID someClass = {
        0x6d3b1f0e, 0x2a47, 0x4c1b, {0x9e, 0x3a, 0x5b, 0x2c, 0x7d, 0x8e, 0x9f, 0x10}};
    struct Case {
        bool shutDown;
        bool withOutPointer;
        HRESULT expected;
        bool clearsOutPointer;
    };
    const Case cases[] = {
        {false, true, CLASS_E_CLASSNOTAVAILABLE, true},
        {false, false, E_POINTER, false},
        {true, true, E_UNEXPECTED, false},
        {true, false, E_UNEXPECTED, false},
    };
    for (const Case& c : cases) {
        bool initFailed = false;
        ComModule com(GetModuleHandleA(nullptr), initFailed);
        if (c.shutDown) {
            com.ShutDown();
        }
        EXPECT_EQ(com.IsLive(), !c.shutDown);
        for (const GUID* classId : {&GUID_NULL, &someClass}) {
            for (const IID* interfaceId : {&IID_IClassFactory, &IID_IUnknown}) {
                void* sentinel = &initFailed;
                void* object = sentinel;
                const HRESULT result = GetClassObject(com, *classId, *interfaceId,
                                                      c.withOutPointer ? &object : nullptr);
                EXPECT_EQ(result, c.expected);
                EXPECT_EQ(object, c.clearsOutPointer ? nullptr : sentinel);
            }
        }
    }
}

}  // namespace
}  // namespace kio::module
