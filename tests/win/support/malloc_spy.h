// Watches the COM task allocator, which the shell's item lists come from, to find blocks that
// are never freed.
#pragma once

#include <windows.h>
#include <objidl.h>

#include <map>
#include <mutex>
#include <vector>

namespace vorbel::test {

// One per process, registered at its first use and never revoked: COM keeps calling a spy for
// the blocks it saw allocated, even after a revoke.
class MallocSpy final : public IMallocSpy {
public:
    // Null when the spy could not be registered.
    static MallocSpy* Instance();

    // Forgets the blocks seen so far: from now on, only new ones count.
    void Clear();
    // The contents of the blocks allocated since the last Clear and not freed yet.
    std::vector<std::vector<BYTE>> LiveBlocks();

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    SIZE_T STDMETHODCALLTYPE PreAlloc(SIZE_T size) override;
    void* STDMETHODCALLTYPE PostAlloc(void* actual) override;
    void* STDMETHODCALLTYPE PreFree(void* request, BOOL spyed) override;
    void STDMETHODCALLTYPE PostFree(BOOL) override {}
    SIZE_T STDMETHODCALLTYPE PreRealloc(void* request, SIZE_T size, void** newRequest, BOOL spyed) override;
    void* STDMETHODCALLTYPE PostRealloc(void* actual, BOOL spyed) override;
    void* STDMETHODCALLTYPE PreGetSize(void* request, BOOL) override { return request; }
    SIZE_T STDMETHODCALLTYPE PostGetSize(SIZE_T size, BOOL) override { return size; }
    void* STDMETHODCALLTYPE PreDidAlloc(void* request, BOOL) override { return request; }
    int STDMETHODCALLTYPE PostDidAlloc(void*, BOOL, int actual) override { return actual; }
    void STDMETHODCALLTYPE PreHeapMinimize() override {}
    void STDMETHODCALLTYPE PostHeapMinimize() override {}

private:
    MallocSpy() = default;

    std::mutex mutex_;
    std::map<void*, SIZE_T> live_;
};

}  // namespace vorbel::test
