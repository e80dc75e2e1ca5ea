#include "tests/win/support/malloc_spy.h"

namespace vorbel::test {

namespace {

thread_local SIZE_T pending = 0;  // the size asked for, between the Pre and Post calls

}  // namespace

MallocSpy* MallocSpy::Instance() {
    static MallocSpy* const spy = [] {
        auto* s = new MallocSpy;
        return SUCCEEDED(CoRegisterMallocSpy(s)) ? s : nullptr;
    }();
    return spy;
}

void MallocSpy::Clear() {
    std::lock_guard lock(mutex_);
    live_.clear();
}

std::vector<std::vector<BYTE>> MallocSpy::LiveBlocks() {
    std::lock_guard lock(mutex_);
    std::vector<std::vector<BYTE>> blocks;
    for (const auto& [at, size] : live_) {
        const BYTE* bytes = static_cast<const BYTE*>(at);
        blocks.emplace_back(bytes, bytes + size);
    }
    return blocks;
}

HRESULT MallocSpy::QueryInterface(REFIID riid, void** out) {
    if (riid == IID_IUnknown || riid == IID_IMallocSpy) {
        *out = static_cast<IMallocSpy*>(this);
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

SIZE_T MallocSpy::PreAlloc(SIZE_T size) {
    std::lock_guard lock(mutex_);
    pending = size;
    return size;
}

void* MallocSpy::PostAlloc(void* actual) {
    std::lock_guard lock(mutex_);
    if (actual) live_[actual] = pending;
    return actual;
}

void* MallocSpy::PreFree(void* request, BOOL) {
    std::lock_guard lock(mutex_);
    live_.erase(request);
    return request;
}

SIZE_T MallocSpy::PreRealloc(void* request, SIZE_T size, void** newRequest, BOOL) {
    std::lock_guard lock(mutex_);
    live_.erase(request);
    pending = size;
    *newRequest = request;
    return size;
}

void* MallocSpy::PostRealloc(void* actual, BOOL) {
    std::lock_guard lock(mutex_);
    if (actual) live_[actual] = pending;
    return actual;
}

}  // namespace vorbel::test
