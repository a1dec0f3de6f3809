#include "type_library_registration.h"

#include <shlwapi.h>

#include <array>
#include <cstring>
#include <cwchar>

#include "conversion_code_page.h"
#include "module_records.h"

namespace kio::module {

namespace {

constexpr char kTypeLibraryExtension[] = ".tlb";

// A wide copy of a multibyte text, in memory from the text storage manager.
class WideText {
public:
    WideText() noexcept = default;
    ~WideText() { records::textStorage.Free(text_); }

    WideText(const WideText&) = delete;
    WideText& operator=(const WideText&) = delete;

    // E_OUTOFMEMORY when no room is left or the text does not convert.
    HRESULT Convert(const char* text, UINT codePage) noexcept {
        records::textStorage.Free(text_);
        // Each multibyte byte yields at most one wide character.
        const size_t capacity = std::strlen(text) + 1;
        text_ = static_cast<wchar_t*>(records::textStorage.Allocate(capacity * sizeof(wchar_t)));
        if (text_ == nullptr) {
            return E_OUTOFMEMORY;
        }
        if (MultiByteToWideChar(codePage, 0, text, -1, text_, static_cast<int>(capacity)) == 0) {
            return E_OUTOFMEMORY;
        }
        return S_OK;
    }

    const wchar_t* get() const noexcept { return text_; }

private:
    wchar_t* text_ = nullptr;
};

HRESULT LoadFrom(const char* path, UINT codePage, WideText& widePath,
                 LoadedTypeLibrary& loaded) noexcept {
    if (const HRESULT converted = widePath.Convert(path, codePage); FAILED(converted)) {
        return converted;
    }
    ITypeLib* library = nullptr;
    const HRESULT result = LoadTypeLib(widePath.get(), &library);
    loaded.library.reset(library);
    return result;
}

}  // namespace

HRESULT LoadModuleTypeLib(HINSTANCE module, LoadedTypeLibrary& loaded) noexcept {
    loaded = LoadedTypeLibrary{};
    const UINT codePage = GetConversionCodePage();

    std::array<char, MAX_PATH> path{};
    const DWORD length = GetModuleFileNameA(module, path.data(), path.size());
    if (const HRESULT result = ModulePathResult(length, path.size(), GetLastError());
        FAILED(result)) {
        return result;
    }
    const size_t extension = static_cast<size_t>(PathFindExtensionA(path.data()) - path.data());

    WideText widePath;
    HRESULT result = LoadFrom(path.data(), codePage, widePath, loaded);
    if (FAILED(result)) {
        if (extension + sizeof(kTypeLibraryExtension) > path.size()) {
            return E_FAIL;
        }
        std::memcpy(path.data() + extension, kTypeLibraryExtension, sizeof(kTypeLibraryExtension));
        result = LoadFrom(path.data(), codePage, widePath, loaded);
        if (FAILED(result)) {
            return result;
        }
    }
    loaded.path.reset(SysAllocString(widePath.get()));
    return loaded.path ? result : E_OUTOFMEMORY;
}

HRESULT ModulePathResult(DWORD length, DWORD capacity, DWORD lastError) noexcept {
    if (length == 0) {
        // A failure without an error code must still read as a failure.
        const HRESULT result = HRESULT_FROM_WIN32(lastError);
        return FAILED(result) ? result : E_FAIL;
    }
    // A path that fills the whole buffer may have been cut.
    return length >= capacity ? HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER) : S_OK;
}

size_t HelpDirectoryLength(const wchar_t* path) noexcept {
    size_t length = 0;
    for (size_t i = 0; path[i] != L'\0'; ++i) {
        if (path[i] == L'\\' || path[i] == L'/' || path[i] == L':') {
            length = i + 1;
        }
    }
    return length;
}

HRESULT RegisterModuleTypeLib(HINSTANCE module) noexcept {
    LoadedTypeLibrary loaded;
    if (const HRESULT result = LoadModuleTypeLib(module, loaded); FAILED(result)) {
        return result;
    }
    // The help directory is cut from a copy of at most MAX_PATH - 1 characters.
    std::array<wchar_t, MAX_PATH> helpDirectory{};
    std::wcsncpy(helpDirectory.data(), loaded.path.get(), helpDirectory.size() - 1);
    helpDirectory[HelpDirectoryLength(helpDirectory.data())] = L'\0';
    return RegisterTypeLib(loaded.library.get(), loaded.path.get(), helpDirectory.data());
}

HRESULT UnregisterModuleTypeLib(HINSTANCE module) noexcept {
    LoadedTypeLibrary loaded;
    if (const HRESULT result = LoadModuleTypeLib(module, loaded); FAILED(result)) {
        return result;
    }
    TLIBATTR* attributes = nullptr;
    if (const HRESULT result = loaded.library->GetLibAttr(&attributes); FAILED(result)) {
        return result;
    }
    const HRESULT result =
        UnRegisterTypeLib(attributes->guid, attributes->wMajorVerNum, attributes->wMinorVerNum,
                          attributes->lcid, attributes->syskind);
    loaded.library->ReleaseTLibAttr(attributes);
    return result;
}

}  // namespace kio::module
