#include "net/transfer.h"

#include "net/internet.h"

namespace vorbel {

Transfer::Transfer() : givenUpEvent_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

Transfer::~Transfer() {
    if (session_) InternetCloseHandle(session_);
}

HINTERNET Transfer::Session() {
    SrwGuard g(lock_);
    if (givenUp_) return nullptr;
    if (!session_) {
        session_ = OpenInternetSession().release();
        if (session_) SetInternetTimeouts(session_);
    }
    return session_;
}

void Transfer::Close(HINTERNET child) {
    SrwGuard g(lock_);
    if (!givenUp_) InternetCloseHandle(child);
}

bool Transfer::GiveUp() {
    SrwGuard g(lock_);
    if (committed_) return false;
    if (!givenUp_) {
        givenUp_ = true;
        SetEvent(givenUpEvent_.get());
        if (session_) InternetCloseHandle(session_);
        session_ = nullptr;
    }
    return true;
}

bool Transfer::GivenUp() {
    SrwGuard g(lock_);
    return givenUp_;
}

bool Transfer::Commit() {
    SrwGuard g(lock_);
    if (givenUp_) return false;
    committed_ = true;
    return true;
}

}  // namespace vorbel
