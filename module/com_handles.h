// Owners for the COM and OLE resources the type library code handles.
#pragma once

// windows.h must come before oleauto.h.
#include <windows.h>
#include <oleauto.h>

#include <memory>

namespace kio::module {

struct InterfaceReleaser {
    void operator()(IUnknown* object) const noexcept { object->Release(); }
};
template <typename Interface>
using InterfacePtr = std::unique_ptr<Interface, InterfaceReleaser>;

struct StringFreer {
    void operator()(OLECHAR* text) const noexcept { SysFreeString(text); }
};
using UniqueBstr = std::unique_ptr<OLECHAR, StringFreer>;

}  // namespace kio::module
