// Move-only owners of Win32 handles, so that every early return closes what was opened.
#pragma once

#include <windows.h>

#include <utility>

namespace vorbel {

template <typename Traits>
class Scoped {
public:
    using Type = typename Traits::Type;

    Scoped() = default;
    explicit Scoped(Type h) : h_(h) {}
    ~Scoped() { reset(); }
    Scoped(const Scoped&) = delete;
    Scoped& operator=(const Scoped&) = delete;
    Scoped(Scoped&& other) noexcept : h_(other.release()) {}
    Scoped& operator=(Scoped&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }

    Type get() const { return h_; }
    explicit operator bool() const { return h_ != Traits::Invalid(); }
    Type release() { return std::exchange(h_, Traits::Invalid()); }
    void reset(Type h = Traits::Invalid()) {
        if (h_ != Traits::Invalid()) Traits::Close(h_);
        h_ = h;
    }
    // For out-parameters of creating calls: closes the current handle first.
    Type* put() {
        reset();
        return &h_;
    }

private:
    Type h_ = Traits::Invalid();
};

struct HKeyTraits {
    using Type = HKEY;
    static Type Invalid() { return nullptr; }
    static void Close(Type h) { RegCloseKey(h); }
};
struct FileTraits {  // CreateFileW's failure value
    using Type = HANDLE;
    static Type Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Type h) { CloseHandle(h); }
};
struct KernelHandleTraits {  // processes, threads, events: null on failure
    using Type = HANDLE;
    static Type Invalid() { return nullptr; }
    static void Close(Type h) { CloseHandle(h); }
};
struct IconTraits {
    using Type = HICON;
    static Type Invalid() { return nullptr; }
    static void Close(Type h) { DestroyIcon(h); }
};

// Holds a lock for its scope. The system's own lock: std::mutex brings winpthread and the
// library's error classes into the program (about 50 KB).
class SrwGuard {
public:
    explicit SrwGuard(SRWLOCK& lock) : lock_(lock) { AcquireSRWLockExclusive(&lock_); }
    ~SrwGuard() { ReleaseSRWLockExclusive(&lock_); }
    SrwGuard(const SrwGuard&) = delete;
    SrwGuard& operator=(const SrwGuard&) = delete;

private:
    SRWLOCK& lock_;
};

using UniqueHKey = Scoped<HKeyTraits>;
using UniqueFile = Scoped<FileTraits>;
using UniqueHandle = Scoped<KernelHandleTraits>;
using UniqueIcon = Scoped<IconTraits>;

}  // namespace vorbel
