// The few COM notions the speech engine clients rely on: identifiers, result
// codes, the IUnknown slot order, and a class factory keyed by class and
// interface identifiers. On Windows the factory is CoCreateInstance and the
// handles are kernel objects; here classes and waitable objects are
// registered in the process (see Factory).
#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>

namespace sapi {

using HResult = int32_t;
constexpr HResult s_ok = 0;
constexpr HResult s_false = 1;
constexpr HResult e_fail = static_cast<HResult>(0x80004005u);
constexpr HResult e_nointerface = static_cast<HResult>(0x80004002u);
constexpr HResult e_invalidarg = static_cast<HResult>(0x80070057u);
constexpr HResult e_outofmemory = static_cast<HResult>(0x8007000Eu);
constexpr HResult class_e_noaggregation = static_cast<HResult>(0x80040110u);
constexpr HResult regdb_e_classnotreg = static_cast<HResult>(0x80040154u);
inline bool failed(HResult r) {
    return r < 0;
}
inline bool succeeded(HResult r) {
    return r >= 0;
}

// CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER.
constexpr uint32_t class_context_all = 7;

// WaitForSingleObject results.
constexpr uint32_t wait_object_0 = 0;
constexpr uint32_t wait_timeout = 258;
constexpr uint32_t wait_failed = 0xFFFFFFFFu;

struct Guid {
    uint32_t data1 = 0;
    uint16_t data2 = 0;
    uint16_t data3 = 0;
    uint8_t data4[8] = {};
    bool operator==(const Guid&) const = default;
    auto operator<=>(const Guid&) const = default;
};

namespace detail {
constexpr uint32_t hex_digit(char c) {
    return c >= '0' && c <= '9'   ? uint32_t(c - '0')
           : c >= 'a' && c <= 'f' ? uint32_t(c - 'a' + 10)
           : c >= 'A' && c <= 'F' ? uint32_t(c - 'A' + 10)
                                  : throw "not a hexadecimal digit";
}
constexpr uint32_t hex(std::string_view s, size_t at, size_t digits) {
    uint32_t v = 0;
    for (size_t i = 0; i < digits; ++i) v = v * 16 + hex_digit(s.at(at + i));
    return v;
}
}  // namespace detail

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" at compile time.
constexpr Guid guid(std::string_view s) {
    if (s.size() != 38 || s[0] != '{' || s[9] != '-' || s[14] != '-' || s[19] != '-' ||
        s[24] != '-' || s[37] != '}')
        throw "malformed identifier";
    Guid g;
    g.data1 = detail::hex(s, 1, 8);
    g.data2 = static_cast<uint16_t>(detail::hex(s, 10, 4));
    g.data3 = static_cast<uint16_t>(detail::hex(s, 15, 4));
    g.data4[0] = static_cast<uint8_t>(detail::hex(s, 20, 2));
    g.data4[1] = static_cast<uint8_t>(detail::hex(s, 22, 2));
    for (size_t i = 0; i < 6; ++i)
        g.data4[2 + i] = static_cast<uint8_t>(detail::hex(s, 25 + 2 * i, 2));
    return g;
}

// The registry form, upper case with braces.
std::string to_string(const Guid& g);

constexpr Guid iid_iunknown = guid("{00000000-0000-0000-C000-000000000046}");

// IUnknown, in slot order.
class Unknown {
public:
    virtual HResult QueryInterface(const Guid& iid, void** out) = 0;
    virtual uint32_t AddRef() = 0;
    virtual uint32_t Release() = 0;

protected:
    virtual ~Unknown() = default;
};

// An object whose completion a thread can wait for (an event handle).
class Waitable {
public:
    virtual ~Waitable() = default;
    // wait_object_0 when signalled, else wait_timeout after at most timeout_ms.
    virtual uint32_t wait(uint32_t timeout_ms) = 0;
};

// The process's class registry and handle table.
class Factory {
public:
    // Makes a new object of the class and answers the interface asked for
    // (with one reference), or an error and *out = nullptr.
    using Creator = std::function<HResult(const Guid& iid, void** out)>;

    void register_class(const Guid& clsid, Creator creator);
    void unregister_class(const Guid& clsid);
    bool has_class(const Guid& clsid) const;

    // CoCreateInstance. Aggregation is not supported.
    HResult create_instance(const Guid& clsid, Unknown* outer, uint32_t context, const Guid& iid,
                            void** out);

    // Handles: a waitable object gets a number that stays valid until it is
    // closed; WaitForSingleObject on an unknown handle fails.
    intptr_t add_handle(Waitable& object);
    void close_handle(intptr_t handle);
    uint32_t wait_for_single_object(intptr_t handle, uint32_t timeout_ms);

private:
    std::map<Guid, Creator> classes_;
    std::map<intptr_t, Waitable*> handles_;
    intptr_t next_handle_ = 0x100;
};

// The reference count every object of this folder keeps. Objects are
// deleted at the last Release.
class RefCount {
public:
    uint32_t add() { return ++count_; }
    // True when the count reached zero.
    bool release() { return count_ > 0 && --count_ == 0; }
    uint32_t count() const { return count_; }

private:
    uint32_t count_ = 1;
};

// Wide strings (LPCWSTR and BSTR) are UTF-16.
std::u16string widen(std::string_view cp1252);
std::string narrow(std::u16string_view wide);

}  // namespace sapi
