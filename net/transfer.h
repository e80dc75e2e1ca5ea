// One lookup and upload of the web export, which the thread that waits for it may give up at
// once ("Annuler", the overall bound) while the worker that runs it is in the middle of a call.
#pragma once

#include <windows.h>
#include <wininet.h>

#include "win/scoped.h"

namespace vorbel {

// Giving up closes the WinINet session, which on Windows ends a call blocked on it or on its
// children (Wine 8 lets such a call run to its end), and ends every wait of the sockets the
// transfer opens itself; from then on the transfer sends nothing. The patient goes out only
// after Commit: from there on the transfer can no longer be given up, its outcome being the
// server's to say.
class Transfer {
public:
    Transfer();
    ~Transfer();
    Transfer(const Transfer&) = delete;
    Transfer& operator=(const Transfer&) = delete;

    // The session, opened on first use with the time-outs; null when it cannot be, or once
    // given up.
    HINTERNET Session();
    // Closes a handle made from the session, unless giving up closed the session: its children's
    // values may then already name newer handles, which must not be closed in their stead.
    void Close(HINTERNET child);

    // From any thread. False when the patient was already committed: nothing stops it then.
    bool GiveUp();
    bool GivenUp();
    // Signalled once given up.
    HANDLE GivenUpEvent() const { return givenUpEvent_.get(); }

    // Right before the patient goes out: false once given up.
    bool Commit();

    // Runs `send` unless given up, under the lock that GiveUp takes: once GiveUp has returned,
    // nothing more goes out. False when given up.
    template <class Send>
    bool SendUnlessGivenUp(Send send) {
        SrwGuard g(lock_);
        if (givenUp_) return false;
        send();
        return true;
    }

private:
    SRWLOCK lock_ = SRWLOCK_INIT;
    bool givenUp_ = false;
    bool committed_ = false;
    HINTERNET session_ = nullptr;
    UniqueHandle givenUpEvent_;
};

// A handle made from a transfer's session, closed through it.
class TransferHandle {
public:
    TransferHandle(Transfer& transfer, HINTERNET h) : transfer_(transfer), h_(h) {}
    ~TransferHandle() {
        if (h_) transfer_.Close(h_);
    }
    TransferHandle(const TransferHandle&) = delete;
    TransferHandle& operator=(const TransferHandle&) = delete;

    HINTERNET get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }

private:
    Transfer& transfer_;
    HINTERNET h_;
};

}  // namespace vorbel
